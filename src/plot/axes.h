// SPDX-License-Identifier: MIT
// Axes along the frame's bottom and left edges, with the texts around them.
#pragma once

#include <string>

#include "model/params.h"
#include "model/plot_frame.h"
#include "model/plot_mode.h"
#include "surface/drawing_surface.h"

namespace henon {

// Text with its top-left corner at (x, y).
void printAt(DrawingSurface& s, double x, double y, const std::string& text);

void drawAxes(DrawingSurface& s, const PlotFrame& f);
void printTitle(DrawingSurface& s, const PlotFrame& f, const std::string& text);
void printYLabel(DrawingSurface& s, const PlotFrame& f, const std::string& text);
void printXLabel(DrawingSurface& s, const PlotFrame& f, const std::string& text);

// The phase portrait's axes with the four bounds of the view window.
void plotAxes2D(DrawingSurface& s, const PlotFrame& f, const MapParams& p);
// One time-series panel. Heights are measured in the main window's font, which is smaller.
void plotAxes1D(DrawingSurface& s, const PlotFrame& f, const MapParams& p, SeriesName seriesName,
                const std::string& yName, const DrawingSurface& mainWindow);

}  // namespace henon
