// SPDX-License-Identifier: MIT
#include "model/pointer_text.h"

#include <cmath>

#include "model/numeric_text.h"

namespace henon {

MapPixel mapPixel(const PlotFrame& f, const MapParams& p, double twipsPerPixel) {
  // A refused read can leave the bounds the wrong way round.
  return {std::fabs((p.xtr - p.xbl) / (f.frameRight - f.frameLeft)) * twipsPerPixel,
          std::fabs((p.ytr - p.ybl) / (f.frameBottom - f.frameTop)) * twipsPerPixel};
}

std::optional<PointerTexts> pointerTexts(const PlotFrame& f, const MapParams& p,
                                         double twipsPerPixel, double sx, double sy,
                                         std::optional<double> cornerX,
                                         std::optional<double> cornerY) {
  // Before the first picture there is no frame to convert with.
  if (!f.hasArea()) return std::nullopt;
  const double yMap = screenToMapY(f, p, sy);
  const double xMap = screenToMapX(f, p, sx);
  if (!std::isfinite(xMap) || !std::isfinite(yMap)) return std::nullopt;
  const MapPixel pixel = mapPixel(f, p, twipsPerPixel);
  return PointerTexts{formatPointer(xMap, pixel.x, cornerX), formatPointer(yMap, pixel.y, cornerY)};
}

}  // namespace henon
