// SPDX-License-Identifier: MIT
#include "model/orbit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "model/map_step.h"
#include "model/orbit_steps.h"
#include "model/vector_state.h"
#include "surface/batch.h"
#include "surface/dialogs.h"
#include "surface/point_raster.h"

namespace henon {
namespace {

using orbit::Loop;
using orbit::Steps;
using orbit::takePairs;
using orbit::takeSteps;

enum class Draw { k2D, kSeriesX, kSeriesY };

// The sinks: each takes the in-view point of step i, as the map gave it and placed in the frame.

// The phase portrait's points, staged for the surface.
struct Staged {
  Point* out;
  std::size_t n = 0;
  template <bool kSafeView>
  void put(const Loop&, std::int64_t, MapStep, Point sp) {
    out[n++] = sp;
  }
  std::size_t staged() const { return n; }
};

// Series points, placed, staged for the surface.
struct StagedPoints {
  Point* out;
  std::size_t n = 0;
  void set(double x, double y) { out[n++] = {x, y}; }
  std::size_t staged() const { return n; }
};

// The phase portrait's points set into a lent raster.
template <PointRaster::Scale kScale>
struct Pixels {
  PointRaster raster;
  template <bool kSafeView>
  void put(const Loop&, std::int64_t, MapStep, Point sp) {
    raster.set<kScale>(sp.x, sp.y);
  }
  void set(double x, double y) const { raster.set<kScale>(x, y); }
  std::size_t staged() const { return 0; }
};

// A series point placed at step i across the frame and at its value up it, for a raster, a panel
// mask or the surface.
template <bool kX, class Target>
struct Series {
  Target target;
  double n;
  template <bool kSafeView>
  void put(const Loop& c, std::int64_t i, MapStep next, Point sp) {
    const double at = c.stepX(static_cast<double>(i), n);
    if constexpr (kX) {
      target.set(at, kSafeView ? linear(c.bottom, c.frameH, c.xbl, c.xbl - c.xtr, next.x)
                               : mapLinear(c.bottom, c.top, c.xbl, c.xtr, next.x));
    } else {
      target.set(at, sp.y);
    }
  }
  std::size_t staged() const {
    if constexpr (requires { target.staged(); }) return target.staged();
    return 0;
  }
};

// Calls f with the raster's pixel sink, its scale a constant, so each scale has a loop of its own.
template <class F>
decltype(auto) withPixels(const PointRaster& r, F&& f) {
  using S = PointRaster::Scale;
  switch (r.scale()) {
    case S::kOne:
      return f(Pixels<S::kOne>{r});
    case S::kTwo:
      return f(Pixels<S::kTwo>{r});
    case S::kSide:
      return f(Pixels<S::kSide>{r});
    case S::kSplit:
      return f(Pixels<S::kSplit>{r});
    case S::kAny:
      break;
  }
  return f(Pixels<S::kAny>{r});
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
    if constexpr (kDraw == Draw::k2D) {
      if (raster) {
        rasterSet = true;
        s = withPixels(*raster, [&](auto sink) { return takeSteps(safeView, c, s, last, sink); });
      } else {
        s = takeSteps(safeView, c, s, last, Staged{space.data()});
      }
    } else {
      const Series<kDraw == Draw::kSeriesX, StagedPoints> sink{{space.data()}, double(n)};
      s = takeSteps(safeView, c, s, last, sink);
    }
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

// The pixels of one panel's points, one byte each, for points that must not show yet: memory
// stays flat however long the orbit.
class PanelMask {
 public:
  struct View {
    std::uint8_t* bits = nullptr;
    double cols = 0, rows = 0, pixelsPerTwip = 0;  // the raster's
    std::uint32_t x0 = 0, y0 = 0, width = 0, height = 0;

    // The pixel PointRaster::set would ink.
    void set(double x, double y) const {
      const double tx = x * pixelsPerTwip, ty = y * pixelsPerTwip;
      if (!(tx >= 0 && ty >= 0 && tx < cols && ty < rows)) return;
      const std::uint32_t px = static_cast<std::uint32_t>(tx) - x0;
      const std::uint32_t py = static_cast<std::uint32_t>(ty) - y0;
      if (px < width && py < height) bits[std::size_t{py} * width + px] = 1;
    }
  };

  // Covers the frame and a margin against rounding, within the raster.
  PanelMask(const PointRaster& r, const PlotFrame& f) {
    view_.cols = r.cols;
    view_.rows = r.rows;
    view_.pixelsPerTwip = r.pixelsPerTwip;
    const auto span = [&](double a, double b, double n, std::uint32_t& from, std::uint32_t& size) {
      const double lo = std::floor(std::min(a, b) * r.pixelsPerTwip) - 2;
      const double hi = std::floor(std::max(a, b) * r.pixelsPerTwip) + 2;
      if (!(lo < n && hi >= 0)) return;
      from = static_cast<std::uint32_t>(std::max(lo, 0.0));
      size = static_cast<std::uint32_t>(std::min(hi, n - 1)) - from + 1;
    };
    span(f.frameLeft, f.frameRight, r.cols, view_.x0, view_.width);
    span(f.frameTop, f.frameBottom, r.rows, view_.y0, view_.height);
  }
  // The bytes are taken on first use: a mask that is never set costs nothing.
  const View& view() {
    if (!view_.bits) {
      bits_.assign(std::size_t{view_.width} * view_.height, 0);
      view_.bits = bits_.data();
    }
    return view_;
  }

  // Inks the marked pixels through the surface's raster, or, when it lends none, as points at
  // their centres.
  void show(DrawingSurface& surface) const {
    const PointRaster* raster = surface.pointRaster();
    PointBatch batch(surface);
    const auto ink = [&](std::size_t i) {
      const auto px = static_cast<std::uint32_t>(view_.x0 + i % view_.width);
      const auto py = static_cast<std::uint32_t>(view_.y0 + i / view_.width);
      if (!raster) {
        batch.add({(px + 0.5) / view_.pixelsPerTwip, (py + 0.5) / view_.pixelsPerTwip});
      } else if (px < raster->cols && py < raster->rows) {
        raster->setPixel(px, py);
      }
    };
    // Most of a mask is empty: it is read a word at a time.
    constexpr std::size_t kWord = sizeof(std::uint64_t);
    std::size_t i = 0;
    for (; i + kWord <= bits_.size(); i += kWord) {
      std::uint64_t word;
      std::memcpy(&word, &bits_[i], kWord);
      if (!word) continue;
      for (std::size_t j = i; j < i + kWord; ++j)
        if (bits_[j]) ink(j);
    }
    for (; i < bits_.size(); ++i)
      if (bits_[i]) ink(i);
    batch.flush();
    if (raster) surface.rasterChanged();
  }

 private:
  std::vector<std::uint8_t> bits_;
  View view_;
};

// The two panels of "1D", their orbits advanced together once the surface lends a raster.
class SeriesPanels {
 public:
  SeriesPanels(DrawingSurface& surface, MapParams& p, const CutOffLimits& lim,
               const PlotFrame& left, const PlotFrame& right, Dialogs& dialogs, Pacer* pacer,
               const PointRaster& raster)
      : surface_(surface),
        p_(p),
        dialogs_(dialogs),
        pacer_(pacer),
        n_(p.N),
        l_(p, lim, left),
        r_(p, lim, right),
        safe_(l_.viewIsSafe() && r_.viewIsSafe()),
        lMask_(raster, left),
        rMask_(raster, right),
        raster_(&raster) {}

  void run(const std::function<void()>& rightPanel) {
    // Together while both go on; the right panel's points wait in its mask for its axes.
    while (!done(ls_) && !done(rs_)) {
      const std::int64_t last = std::min<std::int64_t>(n_, ls_.next + kChunk - 1);
      cleanVectorState();
      if (raster_) {
        withPixels(*raster_, [&](auto pixels) { pairs(pixels, last); });
      } else {
        pairs(lMask_.view(), last);
      }
      if (!done(ls_) && !done(rs_)) breathe(lMask_);
    }
    alone<true>(ls_, l_, lMask_);
    show(lMask_);
    end(ls_);
    // The right panel reads N afresh, as the left one did.
    p_.N = n_;
    rightPanel();
    rMask_.show(surface_);
    raster_ = surface_.pointRaster();
    alone<false>(rs_, r_, rMask_);
    show(rMask_);
    end(rs_);
  }

 private:
  static constexpr std::int64_t kChunk = 4096;

  bool done(const Steps& s) const { return s.escaped || s.next > n_; }

  template <class LeftTarget>
  void pairs(const LeftTarget& left, std::int64_t last) {
    const Series<true, LeftTarget> l{left, static_cast<double>(n_)};
    const Series<false, PanelMask::View> r{rMask_.view(), static_cast<double>(n_)};
    if (safe_) {
      takePairs<true>(l_, r_, ls_, rs_, last, l, r);
    } else {
      takePairs<false>(l_, r_, ls_, rs_, last, l, r);
    }
  }

  // One orbit on its own to its end; its points go where they show now.
  template <bool kX>
  void alone(Steps& s, const Loop& c, PanelMask& mask) {
    const auto run = [&](auto target, std::int64_t last) {
      return takeSteps(safe_, c, s, last, Series<kX, decltype(target)>{target, double(n_)});
    };
    while (!done(s)) {
      const std::int64_t last = std::min<std::int64_t>(n_, s.next + kChunk - 1);
      cleanVectorState();
      if (raster_) {
        s = withPixels(*raster_, [&](auto pixels) { return run(pixels, last); });
      } else {
        s = run(mask.view(), last);
      }
      if (!done(s)) breathe(mask);
    }
  }

  void show(const PanelMask& mask) {
    if (raster_) {
      surface_.rasterChanged();
    } else {
      mask.show(surface_);
    }
  }

  void breathe(const PanelMask& shown) {
    if (!pacer_ || !pacer_->due()) return;
    show(shown);
    pacer_->breathe();
    // The window system's turn may have resized the window or moved it to a screen of another
    // pixel ratio; a surface that stops lending its raster gets the points through the mask.
    raster_ = surface_.pointRaster();
  }

  void end(const Steps& s) {
    if (!s.escaped) return;
    const auto completed = static_cast<std::int32_t>(s.next - 1);
    dialogs_.MsgBox(overflowMessage(completed));
    p_.N = completed;
  }

  DrawingSurface& surface_;
  MapParams& p_;
  Dialogs& dialogs_;
  Pacer* pacer_;
  const std::int32_t n_;
  const Loop l_, r_;
  const bool safe_;
  PanelMask lMask_, rMask_;
  const PointRaster* raster_;
  Steps ls_{p_.x0, p_.y0, 1, 0, false};
  Steps rs_ = ls_;
};

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

void plotSeriesPanels(DrawingSurface& surface, MapParams& params, const CutOffLimits& limits,
                      const PlotFrame& left, const PlotFrame& right, Dialogs& dialogs, Pacer* pacer,
                      const std::function<void()>& rightPanel) {
  if (const PointRaster* raster = surface.pointRaster()) {
    SeriesPanels(surface, params, limits, left, right, dialogs, pacer, *raster).run(rightPanel);
    return;
  }
  // Points go through the surface, one panel after the other.
  const std::int32_t n = params.N;
  iterate<Draw::kSeriesX>(surface, params, limits, left, dialogs, pacer);
  params.N = n;
  rightPanel();
  iterate<Draw::kSeriesY>(surface, params, limits, right, dialogs, pacer);
}

}  // namespace henon
