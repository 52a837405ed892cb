// SPDX-License-Identifier: MIT
// What plotOrbit draws: the phase portrait, or one coordinate of a time series.
#pragma once

#include <cstdint>

namespace henon {

enum class PlotMode : std::uint8_t {
  k2D,  // "2D": the phase portrait
  k1D,  // "1D": one coordinate against the step number
};

// The coordinate a "1D" plot shows; the "2D" mode ignores it.
enum class SeriesName : std::uint8_t {
  kXts,  // "xts"
  kYts,  // "yts"
};

}  // namespace henon
