// SPDX-License-Identifier: MIT
// The orbit's step, written once: every drawing mode is this step with a sink that takes the
// points in view. A sink has
//   template <bool kSafeView> void put(const Loop&, std::int64_t i, MapStep next, Point sp);
//   std::size_t staged() const;  // points written, for a sink that stages them
// and is chosen at compile time, so that nothing is called per point.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "model/map_step.h"
#include "model/params.h"
#include "model/plot_frame.h"
#include "surface/drawing_surface.h"

namespace henon::orbit {

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

// One step of the orbit from (x, y): the map, the escape test and, for a point in view, its place
// in the frame, which goes to the sink, and the way back from there, where the orbit goes on.
// False at an escape, with (x, y) left at the last point. Every mode is this step with a sink.
template <bool kSafeView, class Sink>
[[gnu::always_inline]] inline bool step(const Loop& c, double& x, double& y, std::int64_t i,
                                        Sink& sink) {
  MapStep next = mapStep(c.a, c.b, x, y);
  if constexpr (!kSafeView) {
    if (c.escapes(next.x, next.y)) return false;
  }
  if ((kSafeView || c.drawable) && c.inView(next.x, next.y)) {
    const Point sp = c.toFrame<kSafeView>(next.x, next.y);
    sink.template put<kSafeView>(c, i, next, sp);
    next = c.toMap<kSafeView>(sp);
  } else if constexpr (kSafeView) {
    if (c.escapes(next.x, next.y)) return false;
  }
  x = next.x;
  y = next.y;
  return true;
}

// Pairing the two coordinates' mappings in vector registers puts shuffles on a lone orbit's
// dependent chain: measurably slower here, unlike in takePairs.
#if defined(__GNUC__) && !defined(__clang__)
#define HENON_SCALAR_CHAIN gnu::optimize("no-tree-slp-vectorize"),
#else
#define HENON_SCALAR_CHAIN
#endif

// Takes steps s.next..last, or up to an escape. Nothing in here calls out, so the orbit and the
// sink stay in registers.
template <bool kSafeView, class Sink>
[[HENON_SCALAR_CHAIN gnu::noinline]] Steps takeSteps(const Loop c, Steps s, std::int64_t last,
                                                     Sink sink) {
  double x = s.x;
  double y = s.y;
  for (std::int64_t i = s.next; i <= last; ++i)
    if (!step<kSafeView>(c, x, y, i, sink)) return {x, y, i, sink.staged(), true};
  return {x, y, last + 1, sink.staged(), false};
}

template <class Sink>
Steps takeSteps(bool safeView, const Loop& c, Steps s, std::int64_t last, Sink sink) {
  return safeView ? takeSteps<true>(c, s, last, sink) : takeSteps<false>(c, s, last, sink);
}

// Both series orbits side by side, both at step l.next, until last or the first escape: a core
// runs two independent dependent chains almost as fast as one.
template <bool kSafeView, class LeftSink, class RightSink>
[[gnu::noinline]] void takePairs(const Loop lc, const Loop rc, Steps& l, Steps& r,
                                 std::int64_t last, LeftSink left, RightSink right) {
  double lx = l.x, ly = l.y, rx = r.x, ry = r.y;
  for (std::int64_t i = l.next; i <= last; ++i) {
    const bool lOn = step<kSafeView>(lc, lx, ly, i, left);
    const bool rOn = step<kSafeView>(rc, rx, ry, i, right);
    if (!(lOn & rOn)) {
      l = {lx, ly, lOn ? i + 1 : i, 0, !lOn};
      r = {rx, ry, rOn ? i + 1 : i, 0, !rOn};
      return;
    }
  }
  l = {lx, ly, last + 1, 0, false};
  r = {rx, ry, last + 1, 0, false};
}

#undef HENON_SCALAR_CHAIN

}  // namespace henon::orbit
