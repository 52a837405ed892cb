// SPDX-License-Identifier: MIT
// One histogram panel: axes, labels, title and a bar per bin.
#pragma once

#include <cstdint>
#include <string>

#include "model/histogram.h"
#include "model/plot_frame.h"
#include "surface/drawing_surface.h"

namespace henon {

// Draws the panel h.histoCoord selects into the current frame, with bars as wide as a bin is in
// that frame.
void plotHisto(DrawingSurface& window, std::int16_t inset, const HistoState& h, const MapParams& p,
               const PlotFrame& f);
// Turns both bin widths into bar widths in the frame's units: what a histogram command leaves.
void setBarWidths(HistoState& h, const MapParams& p, const PlotFrame& f);

// The histogram command's two panels on the window: the orbit counted once, then the x panel in
// the left panel's frame and the y panel in the right one's, both frames taken from the
// time-series window form2 as every panel's are. The right panel's frame stays current.
void plotHistoPanels(DrawingSurface& window, const DrawingSurface& form2, const PanelMetrics& pm,
                     PlotFrame& frame, HistoState& h, const MapParams& p, Pacer* pacer = nullptr);

std::string histoTitle(const HistoState& h, const MapParams& p);
// "a=1.4, b=0.3, x0=0.5, n=1000" for the x series; y0 for the y series.
std::string seriesTitle(const MapParams& p, bool xSeries);

}  // namespace henon
