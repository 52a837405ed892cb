// SPDX-License-Identifier: MIT
#include "model/pointer_text.h"

#include <cmath>
#include <limits>

#include "model/numeric_text.h"

namespace henon {

MapPixel mapPixel(const PlotFrame& f, const MapParams& p, double twipsPerPixel) {
  // A refused read can leave the bounds the wrong way round.
  return {std::fabs((p.xtr - p.xbl) / (f.frameRight - f.frameLeft)) * twipsPerPixel,
          std::fabs((p.ytr - p.ybl) / (f.frameBottom - f.frameTop)) * twipsPerPixel};
}

namespace {

int sign(double v) {
  return (v > 0) - (v < 0);
}

// What is left of a pixel once the error of the mapping itself is taken off: the texts are to lie
// within a pixel of the exact position, not of its rounding. `from` is the bound the mapping
// subtracts its product from.
double tolerance(double pixel, double mapped, double from) {
  const double size = std::fabs(mapped);
  const double ulp = std::nextafter(size, std::numeric_limits<double>::infinity()) - size;
  return pixel - (ulp / 2 + 4 * std::numeric_limits<double>::epsilon() * std::fabs(from - mapped));
}

}  // namespace

std::optional<PointerTexts> pointerTexts(const PlotFrame& f, const MapParams& p,
                                         double twipsPerPixel, double sx, double sy,
                                         const std::optional<DragStart>& start) {
  // Before the first picture there is no frame to convert with.
  if (!f.hasArea()) return std::nullopt;
  const double yMap = screenToMapY(f, p, sy);
  const double xMap = screenToMapX(f, p, sx);
  if (!std::isfinite(xMap) || !std::isfinite(yMap)) return std::nullopt;
  const MapPixel pixel = mapPixel(f, p, twipsPerPixel);
  const double xTolerance = tolerance(pixel.x, xMap, p.xtr);
  const double yTolerance = tolerance(pixel.y, yMap, p.ybl);
  if (!start) return PointerTexts{formatPointer(xMap, xTolerance), formatPointer(yMap, yTolerance)};
  // A drag that has not left the press's pixel column (or row) has not moved along that axis:
  // the end reads as the press did, so the next plot refuses the empty view, as four decimals
  // alone would have it.
  const auto samePixel = [twipsPerPixel](double a, double b) {
    return std::floor(a / twipsPerPixel) == std::floor(b / twipsPerPixel);
  };
  const bool sameColumn = samePixel(sx, start->sx), sameRow = samePixel(sy, start->sy);
  std::optional<PointerTexts> pressed;
  if (sameColumn || sameRow) pressed = pointerTexts(f, p, twipsPerPixel, start->sx, start->sy);
  // Which way the map value went, should the two ends of the drag meet in one double.
  const int xWay = sign(sx - start->sx) * sign((p.xtr - p.xbl) * (f.frameRight - f.frameLeft));
  const int yWay = sign(sy - start->sy) * sign((p.ytr - p.ybl) * (f.frameTop - f.frameBottom));
  return PointerTexts{
      sameColumn && pressed ? pressed->x : formatPointer(xMap, xTolerance, start->cornerX, xWay),
      sameRow && pressed ? pressed->y : formatPointer(yMap, yTolerance, start->cornerY, yWay)};
}

}  // namespace henon
