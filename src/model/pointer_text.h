// SPDX-License-Identifier: MIT
// What the mouse writes into the view-window boxes for a pointer over the plot.
#pragma once

#include <optional>
#include <string>

#include "model/params.h"
#include "model/plot_frame.h"

namespace henon {

// One pixel of the frame in map units, along x and along y.
struct MapPixel {
  double x;
  double y;
};
MapPixel mapPixel(const PlotFrame& f, const MapParams& p, double twipsPerPixel);

struct PointerTexts {
  std::string x;
  std::string y;
};

// The press a drag starts from: where the pointer was, and what the corner it wrote reads as.
struct DragStart {
  double sx;
  double sy;
  std::optional<double> cornerX;
  std::optional<double> cornerY;
};

// The pointer at (sx, sy) in the frame's units as texts within a pixel of its map position.
// During a drag each text keeps to the side of the press's corner that the pointer moved to;
// along an axis where the pointer is still in the press's pixel it is the press's text.
// Empty when the frame has no area or the position maps to no number.
std::optional<PointerTexts> pointerTexts(const PlotFrame& f, const MapParams& p,
                                         double twipsPerPixel, double sx, double sy,
                                         const std::optional<DragStart>& start = std::nullopt);

}  // namespace henon
