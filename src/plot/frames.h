// SPDX-License-Identifier: MIT
// Where each picture sits: the main window's frame and the two panels of the other windows.
#pragma once

#include "model/plot_frame.h"
#include "surface/drawing_surface.h"

namespace henon {

void setFrameForm1(PlotFrame& f, const DrawingSurface& form1);
void setFrameFromPanel(PlotFrame& f, const PanelMetrics& pm);
// The panels take their height from the time-series window, whichever window they are drawn on.
void setFrameLeftPanel(PlotFrame& f, const PanelMetrics& pm, const DrawingSurface& form2);
void setFrameRightPanel(PlotFrame& f, const PanelMetrics& pm, const DrawingSurface& form2);
PanelMetrics measurePanelMetrics(const DrawingSurface& form2);

}  // namespace henon
