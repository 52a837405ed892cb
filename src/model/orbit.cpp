#include "model/orbit.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "surface/batch.h"

namespace henon {
namespace {

enum class Draw { kNone, k2D, kSeriesX, kSeriesY };

template <Draw kDraw>
void iterate(DrawingSurface& surface, MapParams& p, const CutOffLimits& lim, const PlotFrame& f,
             Dialogs& dialogs) {
  const std::int32_t n = p.N;
  // A frame without area has nowhere to draw and would make the back mapping divide by zero.
  const bool drawable = f.hasArea();
  PointBatch batch(surface);
  double x = p.x0;
  double y = p.y0;
  for (std::int32_t i = 1; i <= n; ++i) {
    double xNew = (1 + y) - ((x * p.a) * x);
    double yNew = x * p.b;
    // A step that overflowed has escaped whatever the limits say.
    if (xNew > lim.escapeXMax || xNew < lim.escapeXMin || yNew > lim.escapeYMax ||
        yNew < lim.escapeYMin || !std::isfinite(xNew) || !std::isfinite(yNew)) {
      batch.flush();
      dialogs.MsgBox(overflowMessage(i - 1));
      p.N = i - 1;
      return;
    }
    if (drawable && p.xbl < xNew && xNew < p.xtr && p.ybl < yNew && yNew < p.ytr) {
      double sy = mapToScreenY(f, p, yNew);
      double sx = mapToScreenX(f, p, xNew);
      if constexpr (kDraw == Draw::k2D) {
        batch.add({sx, sy});
      } else if constexpr (kDraw == Draw::kSeriesX || kDraw == Draw::kSeriesY) {
        double px = f.frameLeft + (i * (f.frameRight - f.frameLeft)) / n;
        if constexpr (kDraw == Draw::kSeriesY) {
          batch.add({px, sy});
        } else {
          batch.add({px, mapLinear(f.frameBottom, f.frameTop, p.xbl, p.xtr, xNew)});
        }
      }
      // The orbit goes on from the drawn position, mapped back.
      xNew = screenToMapX(f, p, sx);
      yNew = screenToMapY(f, p, sy);
    }
    x = xNew;
    y = yNew;
  }
}

}  // namespace

std::string overflowMessage(int pointsPlotted) {
  return std::string("An overflow has occured") + ". Only points up to " +
         std::to_string(pointsPlotted) + " are ploted.";
}

void plotOrbit(DrawingSurface& surface, MapParams& params, const CutOffLimits& limits,
               const PlotFrame& frame, OrbitStyle style, Dialogs& dialogs) {
  if (style.plotMode == "2D") {
    iterate<Draw::k2D>(surface, params, limits, frame, dialogs);
  } else if (style.plotMode == "1D" && style.seriesName == "xts") {
    iterate<Draw::kSeriesX>(surface, params, limits, frame, dialogs);
  } else if (style.plotMode == "1D" && style.seriesName == "yts") {
    iterate<Draw::kSeriesY>(surface, params, limits, frame, dialogs);
  } else {
    iterate<Draw::kNone>(surface, params, limits, frame, dialogs);
  }
}

}  // namespace henon
