// Iterating the map and plotting each new point as soon as it is computed.
#pragma once

#include <string_view>

#include "model/params.h"
#include "model/plot_frame.h"
#include "surface/drawing_surface.h"

namespace henon {

struct OrbitStyle {
  std::string_view plotMode;    // "2D" or "1D"
  std::string_view seriesName;  // "xts" or "yts", read in mode "1D"
};

// Plots N steps from (x0, y0) into the frame on the surface. An escape past the cut-off limits
// ends the orbit with a message and lowers params.N to the number of completed steps.
void plotOrbit(DrawingSurface& surface, MapParams& params, const CutOffLimits& limits,
               const PlotFrame& frame, OrbitStyle style, Dialogs& dialogs);

std::string overflowMessage(int pointsPlotted);

}  // namespace henon
