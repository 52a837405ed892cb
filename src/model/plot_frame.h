// SPDX-License-Identifier: MIT
// The current plot frame, and the linear mapping between map and window coordinates.
#pragma once

#include <cmath>

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

// s0 - (dS * (w0 - w)) / dW, mapping w0 .. w0 - dW onto s0 .. s0 - dS. The operations stand in
// this order on purpose: every point's bits depend on it.
inline double linear(double s0, double dS, double w0, double dW, double w) {
  return s0 - (dS * (w0 - w)) / dW;
}

// Maps w0..w1 onto s0..s1. Only when the product overflows (a view window wider than the largest
// double over the frame size) is the quotient taken first.
inline double mapLinear(double s0, double s1, double w0, double w1, double w) {
  const double s = linear(s0, s0 - s1, w0, w0 - w1, w);
  if (std::isfinite(s)) return s;
  return s0 - (s0 - s1) * ((w0 - w) / (w0 - w1));
}
// The way back from the screen: s0..s1 onto w0..w1.
inline double unmapLinear(double w0, double w1, double s0, double s1, double s) {
  const double w = linear(w0, w0 - w1, s0, s0 - s1, s);
  if (std::isfinite(w)) return w;
  return w0 - ((s0 - s) / (s0 - s1)) * (w0 - w1);
}

inline double mapToScreenX(const PlotFrame& f, const MapParams& p, double x) {
  return mapLinear(f.frameRight, f.frameLeft, p.xtr, p.xbl, x);
}
inline double mapToScreenY(const PlotFrame& f, const MapParams& p, double y) {
  return mapLinear(f.frameBottom, f.frameTop, p.ybl, p.ytr, y);
}
inline double screenToMapX(const PlotFrame& f, const MapParams& p, double sx) {
  return unmapLinear(p.xtr, p.xbl, f.frameRight, f.frameLeft, sx);
}
inline double screenToMapY(const PlotFrame& f, const MapParams& p, double sy) {
  return unmapLinear(p.ybl, p.ytr, f.frameBottom, f.frameTop, sy);
}

}  // namespace henon
