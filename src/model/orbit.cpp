#include "model/orbit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "model/map_step.h"
#include "model/vector_state.h"
#include "surface/batch.h"

namespace henon {
namespace {

enum class Draw { kNone, k2D, kSeriesX, kSeriesY };

struct Steps {
  double x, y;
  std::int64_t next;   // the step to take next; 64 bits, as it passes N = 2^31 - 1 at the end
  std::size_t staged;  // points written
  bool escaped;
};

// Takes steps s.next..last, staging at most one point per step. Nothing in here
// calls out, so the compiler keeps the orbit in registers instead of sending it
// through memory on every step.
template <Draw kDraw>
[[gnu::noinline]] Steps takeSteps(const MapParams& p, const CutOffLimits& lim, const PlotFrame& f,
                                  bool drawable, std::int32_t n, Steps s, std::int64_t last,
                                  Point* out) {
  double x = s.x;
  double y = s.y;
  std::size_t staged = 0;
  for (std::int64_t i = s.next; i <= last; ++i) {
    auto [xNew, yNew] = mapStep(p.a, p.b, x, y);
    // A step that overflowed has escaped whatever the limits say.
    if (xNew > lim.escapeXMax || xNew < lim.escapeXMin || yNew > lim.escapeYMax ||
        yNew < lim.escapeYMin || !std::isfinite(xNew) || !std::isfinite(yNew))
      return {x, y, i, staged, true};
    if (drawable && p.xbl < xNew && xNew < p.xtr && p.ybl < yNew && yNew < p.ytr) {
      double sy = mapToScreenY(f, p, yNew);
      double sx = mapToScreenX(f, p, xNew);
      if constexpr (kDraw == Draw::k2D) {
        out[staged++] = {sx, sy};
      } else if constexpr (kDraw == Draw::kSeriesX || kDraw == Draw::kSeriesY) {
        double px = f.frameLeft + (i * (f.frameRight - f.frameLeft)) / n;
        if constexpr (kDraw == Draw::kSeriesY) {
          out[staged++] = {px, sy};
        } else {
          out[staged++] = {px, mapLinear(f.frameBottom, f.frameTop, p.xbl, p.xtr, xNew)};
        }
      }
      // The orbit goes on from the drawn position, mapped back.
      xNew = screenToMapX(f, p, sx);
      yNew = screenToMapY(f, p, sy);
    }
    x = xNew;
    y = yNew;
  }
  return {x, y, last + 1, staged, false};
}

template <Draw kDraw>
void iterate(DrawingSurface& surface, MapParams& p, const CutOffLimits& lim, const PlotFrame& f,
             Dialogs& dialogs, Pacer* pacer) {
  const std::int32_t n = p.N;
  // A frame without area has nowhere to draw and would make the back mapping
  // divide by zero.
  const bool drawable = f.hasArea();
  PointBatch batch(surface);
  Steps s{p.x0, p.y0, 1, 0, false};
  while (s.next <= n) {
    // Never more steps than the batch has room for points, so it flushes just
    // as often as before.
    const std::span<Point> space = batch.space();
    const std::int64_t last =
        std::min<std::int64_t>(n, s.next + static_cast<std::int64_t>(space.size()) - 1);
    cleanVectorState();  // drawing between batches may have left it dirty
    s = takeSteps<kDraw>(p, lim, f, drawable, n, s, last, space.data());
    batch.commit(s.staged);
    if (s.escaped) {
      batch.flush();
      const auto completed = static_cast<std::int32_t>(s.next - 1);
      dialogs.MsgBox(overflowMessage(completed));
      p.N = completed;
      return;
    }
    if (pacer && pacer->due()) {
      // What is computed so far shows while the window system has its turn.
      batch.flush();
      pacer->breathe();
    }
  }
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
