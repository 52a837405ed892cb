// The current plot frame, and the linear mapping between map and window coordinates.
#pragma once

#include "model/params.h"

namespace henon {

struct PlotFrame {
  double frameLeft = 0;
  double frameBottom = 0;
  double frameRight = 0;
  double xAxisY = 0;
  double yAxisX = 0;
  double frameTop = 0;

  bool hasArea() const { return frameRight != frameLeft && frameBottom != frameTop; }
};

struct PanelMetrics {
  double panelMargin = 0;
  double panelWidth = 0;
  double panelBottomMargin = 0;
  double panelHeight = 0;
};

// The operations stand in this order on purpose: every point's bits depend on it.
inline double mapToScreenX(const PlotFrame& f, const MapParams& p, double x) {
  return f.frameRight - ((f.frameRight - f.frameLeft) * (p.xtr - x)) / (p.xtr - p.xbl);
}
inline double mapToScreenY(const PlotFrame& f, const MapParams& p, double y) {
  return f.frameBottom - ((f.frameBottom - f.frameTop) * (p.ybl - y)) / (p.ybl - p.ytr);
}
inline double screenToMapX(const PlotFrame& f, const MapParams& p, double sx) {
  return p.xtr - ((f.frameRight - sx) * (p.xtr - p.xbl)) / (f.frameRight - f.frameLeft);
}
inline double screenToMapY(const PlotFrame& f, const MapParams& p, double sy) {
  return p.ybl - ((f.frameBottom - sy) * (p.ybl - p.ytr)) / (f.frameBottom - f.frameTop);
}

}  // namespace henon
