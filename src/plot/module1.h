// SPDX-License-Identifier: MIT
// The state every window shares: the map parameters, the current frame and the panel metrics.
#pragma once

#include "model/params.h"
#include "model/plot_frame.h"

namespace henon {

struct Module1 {
  MapParams params;  // zero until the first accepted read
  PlotFrame frame;   // the frame of the picture drawn last
  PanelMetrics panel;
};

}  // namespace henon
