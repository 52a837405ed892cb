// SPDX-License-Identifier: MIT
#include "model/orbit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "model/map_step.h"
#include "model/vector_state.h"
#include "surface/batch.h"
#include "surface/point_raster.h"

namespace henon {
namespace {

// kPixels is the phase portrait set straight into a surface's raster; k2D stages it instead.
enum class Draw { kNone, k2D, kPixels, kSeriesX, kSeriesY };

struct Steps {
  double x, y;
  std::int64_t next;   // the step to take next; 64 bits, as it passes N = 2^31 - 1 at the end
  std::size_t staged;  // points written
  bool escaped;
};

// Everything a batch of steps reads, copied out of the shared state so that the compiler can
// keep it in registers: through references it would reload it after every point written.
struct Loop {
  double a, b;
  double xbl, ybl, xtr, ytr;
  double xMax, yMax, xMin, yMin;
  double left, bottom, right, top;
  double frameW, frameH;  // right - left, bottom - top
  double viewW, viewH;    // xtr - xbl, ybl - ytr, as the mappings take them
  bool drawable;

  Loop(const MapParams& p, const CutOffLimits& lim, const PlotFrame& f)
      : a(p.a),
        b(p.b),
        xbl(p.xbl),
        ybl(p.ybl),
        xtr(p.xtr),
        ytr(p.ytr),
        xMax(lim.escapeXMax),
        yMax(lim.escapeYMax),
        xMin(lim.escapeXMin),
        yMin(lim.escapeYMin),
        left(f.frameLeft),
        bottom(f.frameBottom),
        right(f.frameRight),
        top(f.frameTop),
        frameW(right - left),
        frameH(bottom - top),
        viewW(xtr - xbl),
        viewH(ybl - ytr),
        // A frame without area has nowhere to draw and would make the back mapping divide by
        // zero.
        drawable(f.hasArea()) {}

  bool escapes(double x, double y) const {
    // A step that overflowed has escaped whatever the limits say.
    return x > xMax || x < xMin || y > yMax || y < yMin || !std::isfinite(x) || !std::isfinite(y);
  }
  // One branch, not four: in a deep view whether a point lies left or right of it is a coin toss
  // that a branch per comparison would mispredict at every other step.
  bool inView(double x, double y) const {
    return static_cast<bool>((xbl < x) & (x < xtr) & (ybl < y) & (y < ytr));
  }

  // True when no point inside the view can reach a cut-off limit, be anything but finite, or make
  // a mapping there or back overflow; such points then need none of those tests. Points outside
  // the view are tested in full either way.
  bool viewIsSafe() const {
    const double frameMax =
        std::max({std::fabs(left), std::fabs(right), std::fabs(bottom), std::fabs(top)});
    const double viewMax =
        std::max({std::fabs(xbl), std::fabs(xtr), std::fabs(ybl), std::fabs(ytr)});
    const double sMax = std::max(std::fabs(frameW), std::fabs(frameH));
    const double wMax = std::max(std::fabs(viewW), std::fabs(viewH));
    // An in-view value is strictly inside the limits. The screen position of one is within
    // 2 * sMax of the frame, and the way back is within 2 * (sMax + 1) * wMax of the view, given
    // a frame at least a unit high and wide and no further than 2^53 from the origin.
    return xbl < xtr && ybl < ytr && xMin <= xbl && xtr <= xMax && yMin <= ybl && ytr <= yMax &&
           frameMax <= 0x1p53 && std::fabs(frameW) >= 1 && std::fabs(frameH) >= 1 &&
           std::isfinite(viewMax * 8) && std::isfinite((sMax + 1) * wMax * 8);
  }

  // Into the frame and back. A view proven safe needs no overflow fallback either way.
  template <bool kSafeView>
  Point toFrame(double x, double y) const {
    if constexpr (kSafeView)
      return {linear(right, frameW, xtr, viewW, x), linear(bottom, frameH, ybl, viewH, y)};
    return {mapLinear(right, left, xtr, xbl, x), mapLinear(bottom, top, ybl, ytr, y)};
  }
  template <bool kSafeView>
  MapStep toMap(Point s) const {
    if constexpr (kSafeView)
      return {linear(xtr, viewW, right, frameW, s.x), linear(ybl, viewH, bottom, frameH, s.y)};
    return {unmapLinear(xtr, xbl, right, left, s.x), unmapLinear(ybl, ytr, bottom, top, s.y)};
  }
  // Where step i of n sits across the frame, in the series modes.
  double stepX(double i, double n) const { return left + (i * frameW) / n; }
};

// Takes steps s.next..last, staging at most one point per step. Nothing in here calls out, so the
// orbit stays in registers. In the series modes a point is staged as the step number and the value
// it shows; finishSeries places it, off the orbit's dependent chain.
template <Draw kDraw, bool kSafeView>
[[gnu::noinline]] Steps takeSteps(const Loop c, Steps s, std::int64_t last, Point* out,
                                  const PointRaster raster) {
  double x = s.x;
  double y = s.y;
  std::size_t staged = 0;
  for (std::int64_t i = s.next; i <= last; ++i) {
    MapStep next = mapStep(c.a, c.b, x, y);
    if constexpr (!kSafeView) {
      if (c.escapes(next.x, next.y)) return {x, y, i, staged, true};
    }
    if ((kSafeView || c.drawable) && c.inView(next.x, next.y)) {
      const Point sp = c.toFrame<kSafeView>(next.x, next.y);
      if constexpr (kDraw == Draw::k2D) {
        out[staged++] = sp;
      } else if constexpr (kDraw == Draw::kPixels) {
        raster.set(sp.x, sp.y);
      } else if constexpr (kDraw == Draw::kSeriesX) {
        out[staged++] = {static_cast<double>(i), next.x};
      } else if constexpr (kDraw == Draw::kSeriesY) {
        out[staged++] = {static_cast<double>(i), sp.y};
      }
      // The orbit goes on from the drawn position, mapped back.
      next = c.toMap<kSafeView>(sp);
    } else if constexpr (kSafeView) {
      if (c.escapes(next.x, next.y)) return {x, y, i, staged, true};
    }
    x = next.x;
    y = next.y;
  }
  return {x, y, last + 1, staged, false};
}

using Quad = double __attribute__((vector_size(32)));

// Step i of n sits at left + (i * frameW) / n; the x series maps x onto the frame's height as
// bottom - (frameH * (xbl - x)) / (xbl - xtr). Both are done two points at a time, each point as
// one formula over its two lanes: the first written left - (frameW * (0 - i)) / n, which rounds
// exactly as the form above since negation is exact and rounding symmetric. In the y series the
// second lane's result is not used.
template <Draw kDraw>
inline void finishPairs(const Loop& c, double n, std::span<Point> points) {
  const bool x = kDraw == Draw::kSeriesX;
  const Quad s0 = {c.left, x ? c.bottom : 0, c.left, x ? c.bottom : 0};
  const Quad dS = {c.frameW, x ? c.frameH : 1, c.frameW, x ? c.frameH : 1};
  const Quad w0 = {0, x ? c.xbl : 0, 0, x ? c.xbl : 0};
  const Quad dW = {n, x ? c.xbl - c.xtr : 1, n, x ? c.xbl - c.xtr : 1};
  std::size_t k = 0;
  for (; k + 1 < points.size(); k += 2) {
    Quad v;
    std::memcpy(&v, &points[k], sizeof v);
    v = s0 - (dS * (w0 - v)) / dW;
    points[k].x = v[0];
    points[k + 1].x = v[2];
    if constexpr (x) {
      points[k].y = v[1];
      points[k + 1].y = v[3];
    }
  }
  for (; k < points.size(); ++k) {
    points[k].x = c.stepX(points[k].x, n);
    if constexpr (x) points[k].y = linear(c.bottom, c.frameH, c.xbl, c.xbl - c.xtr, points[k].y);
  }
}

#if defined(__x86_64__)
template <Draw kDraw>
[[gnu::target("avx")]] void finishPairsAvx(const Loop& c, double n, std::span<Point> points) {
  finishPairs<kDraw>(c, n, points);
}
#endif

// A view that is not safe may need mapLinear's fallback for the x series.
template <Draw kDraw>
void finishSeries(const Loop& c, std::int32_t n, bool safeView, std::span<Point> points) {
  static_assert(sizeof(Point) == 2 * sizeof(double));
  if (kDraw == Draw::kSeriesX && !safeView) {
    for (Point& p : points) {
      p.x = c.stepX(p.x, n);
      p.y = mapLinear(c.bottom, c.top, c.xbl, c.xtr, p.y);
    }
    return;
  }
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx")) return finishPairsAvx<kDraw>(c, n, points);
#endif
  finishPairs<kDraw>(c, n, points);
}

template <Draw kDraw>
void iterate(DrawingSurface& surface, MapParams& p, const CutOffLimits& lim, const PlotFrame& f,
             Dialogs& dialogs, Pacer* pacer) {
  const std::int32_t n = p.N;
  PointBatch batch(surface);
  bool rasterSet = false;
  const auto show = [&] {
    batch.flush();
    if (rasterSet) surface.rasterChanged();
  };
  Steps s{p.x0, p.y0, 1, 0, false};
  // Nothing the orbit reads changes while it runs: no other command starts inside this one.
  const Loop c(p, lim, f);
  const bool safeView = c.viewIsSafe();
  const auto lentRaster = [&]() -> const PointRaster* {
    if constexpr (kDraw == Draw::k2D) return surface.pointRaster();
    return nullptr;
  };
  const PointRaster* raster = lentRaster();
  while (s.next <= n) {
    // Never more steps than the batch has room for points, so it flushes just
    // as often as before.
    const std::span<Point> space = batch.space();
    const std::int64_t last =
        std::min<std::int64_t>(n, s.next + static_cast<std::int64_t>(space.size()) - 1);
    cleanVectorState();  // drawing between batches may have left it dirty
    if (raster) {
      rasterSet = true;
      s = safeView ? takeSteps<Draw::kPixels, true>(c, s, last, nullptr, *raster)
                   : takeSteps<Draw::kPixels, false>(c, s, last, nullptr, *raster);
    } else {
      s = safeView ? takeSteps<kDraw, true>(c, s, last, space.data(), {})
                   : takeSteps<kDraw, false>(c, s, last, space.data(), {});
    }
    if constexpr (kDraw == Draw::kSeriesX || kDraw == Draw::kSeriesY)
      finishSeries<kDraw>(c, n, safeView, space.first(s.staged));
    batch.commit(s.staged);
    if (s.escaped) {
      show();
      const auto completed = static_cast<std::int32_t>(s.next - 1);
      dialogs.MsgBox(overflowMessage(completed));
      p.N = completed;
      return;
    }
    if (pacer && pacer->due()) {
      // What is computed so far shows while the window system has its turn.
      show();
      pacer->breathe();
      // The window system's turn may have resized the window or moved it to a screen of another
      // pixel ratio.
      raster = lentRaster();
    }
  }
  show();
}

}  // namespace

std::string overflowMessage(int pointsPlotted) {
  return std::string("An overflow has occured") + ". Only points up to " +
         std::to_string(pointsPlotted) + " are ploted.";
}

void plotOrbit(DrawingSurface& surface, MapParams& params, const CutOffLimits& limits,
               const PlotFrame& frame, OrbitStyle style, Dialogs& dialogs, Pacer* pacer) {
  if (style.plotMode == PlotMode::k2D) {
    iterate<Draw::k2D>(surface, params, limits, frame, dialogs, pacer);
  } else if (style.seriesName == SeriesName::kXts) {
    iterate<Draw::kSeriesX>(surface, params, limits, frame, dialogs, pacer);
  } else {
    iterate<Draw::kSeriesY>(surface, params, limits, frame, dialogs, pacer);
  }
}

void runOrbitUndrawn(DrawingSurface& surface, MapParams& params, const CutOffLimits& limits,
                     const PlotFrame& frame, Dialogs& dialogs) {
  iterate<Draw::kNone>(surface, params, limits, frame, dialogs, nullptr);
}

}  // namespace henon
