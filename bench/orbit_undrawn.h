// SPDX-License-Identifier: MIT
// The orbit's steps without drawing, for timing what a step costs before any pixel.
#pragma once

#include "model/params.h"
#include "model/plot_frame.h"
#include "surface/dialogs.h"

namespace henon {

// The steps, escapes, view tests and mappings of plotOrbit, in its batches, without setting or
// staging a point. An escape shows plotOrbit's message and lowers params.N as it does.
void runOrbitUndrawn(MapParams& params, const CutOffLimits& limits, const PlotFrame& frame,
                     Dialogs& dialogs);

}  // namespace henon
