// SPDX-License-Identifier: MIT
// Iterating the map and plotting each new point as soon as it is computed.
#pragma once

#include <functional>
#include <string>

#include "model/pacer.h"
#include "model/params.h"
#include "model/plot_frame.h"
#include "model/plot_mode.h"

namespace henon {

class Dialogs;
class DrawingSurface;

struct OrbitStyle {
  PlotMode plotMode = PlotMode::k2D;
  SeriesName seriesName = SeriesName::kXts;  // read in mode "1D" only
};

// Plots N steps from (x0, y0) into the frame on the surface. An escape past the cut-off limits
// ends the orbit with a message and lowers params.N to the number of completed steps. A pacer,
// when given, gets its turns between batches, with the points so far on the surface.
void plotOrbit(DrawingSurface& surface, MapParams& params, const CutOffLimits& limits,
               const PlotFrame& frame, OrbitStyle style, Dialogs& dialogs, Pacer* pacer = nullptr);

// Mode "1D": the x series into the left frame, whose axes are drawn, and the y series into the
// right one. rightPanel draws the right panel's axes once the left orbit and its message are
// done, and only then do its points show. Each orbit starts from params.N as given and lowers it
// at its own escape, as plotOrbit does.
void plotSeriesPanels(DrawingSurface& surface, MapParams& params, const CutOffLimits& limits,
                      const PlotFrame& left, const PlotFrame& right, Dialogs& dialogs, Pacer* pacer,
                      const std::function<void()>& rightPanel);

std::string overflowMessage(int pointsPlotted);

}  // namespace henon
