// One histogram panel: axes, labels, title and a bar per bin.
#pragma once

#include <cstdint>
#include <string>

#include "model/histogram.h"
#include "model/plot_frame.h"
#include "surface/drawing_surface.h"

namespace henon {

// Draws the panel h.histoCoord selects into the current frame. Turns both bin
// widths into bar widths in window units.
void plotHisto(DrawingSurface& window, const std::int16_t& inset, HistoState& h, const MapParams& p,
               const PlotFrame& f);

std::string histoTitle(const HistoState& h, const MapParams& p);
// "a=1.4, b=0.3, x0=0.5, n=1000" for the x series; y0 for the y series.
std::string seriesTitle(const MapParams& p, bool xSeries);

}  // namespace henon
