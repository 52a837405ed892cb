// SPDX-License-Identifier: MIT
#include "plot/frames.h"

namespace henon {

void setFrameForm1(PlotFrame& f, const DrawingSurface& form1) {
  f.frameLeft = 0.08 * form1.ScaleWidth();
  f.frameBottom = 0.95 * form1.ScaleHeight();
  f.frameRight = 0.87 * form1.ScaleWidth() + f.frameLeft;
  f.xAxisY = f.frameBottom;
  f.yAxisX = f.frameLeft;
  f.frameTop = f.frameBottom - 0.8 * form1.ScaleHeight();
}

void setFrameFromPanel(PlotFrame& f, const PanelMetrics& pm) {
  f.frameRight = f.frameLeft + pm.panelWidth;
  f.xAxisY = f.frameBottom;
  f.yAxisX = f.frameLeft;
  f.frameTop = f.frameBottom - pm.panelHeight;
}

void setFrameLeftPanel(PlotFrame& f, const PanelMetrics& pm, const DrawingSurface& form2) {
  f.frameLeft = pm.panelMargin;
  f.frameBottom = form2.ScaleHeight() - pm.panelBottomMargin;
  setFrameFromPanel(f, pm);
}

void setFrameRightPanel(PlotFrame& f, const PanelMetrics& pm, const DrawingSurface& form2) {
  f.frameLeft = pm.panelWidth + 2 * pm.panelMargin;
  f.frameBottom = form2.ScaleHeight() - pm.panelBottomMargin;
  setFrameFromPanel(f, pm);
}

PanelMetrics measurePanelMetrics(const DrawingSurface& form2) {
  PanelMetrics pm;
  pm.panelMargin = 0.07 * form2.ScaleWidth();
  pm.panelWidth = 0.41 * form2.ScaleWidth();
  pm.panelBottomMargin = 0.1 * form2.ScaleHeight();
  pm.panelHeight = 0.8 * form2.ScaleHeight();
  return pm;
}

}  // namespace henon
