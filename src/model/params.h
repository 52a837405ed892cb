// SPDX-License-Identifier: MIT
// The nine numbers of one experiment and the limits beyond which an orbit has escaped.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace henon {

class Dialogs;

struct MapParams {
  double a = 0, b = 0, x0 = 0, y0 = 0;
  double xbl = 0, ybl = 0, xtr = 0, ytr = 0;
  std::int32_t N = 0;

  friend bool operator==(const MapParams&, const MapParams&) = default;
};

struct CutOffLimits {
  double escapeXMax = 1000;
  double escapeYMax = 1000;
  double escapeXMin = -1000;
  double escapeYMin = -1000;
};

// Where each number sits among the nine texts, the values and the boxes of the parameter panel.
enum ParamBox : std::size_t {
  kBoxA,
  kBoxB,
  kBoxX0,
  kBoxY0,
  kBoxXbl,
  kBoxYbl,
  kBoxXtr,
  kBoxYtr,
  kBoxN
};

using ParamTexts = std::array<std::string, 9>;

inline const ParamTexts kDefaultParamTexts = {"1.4", "0.3", "0.5", "0.5", "-2",
                                              "-1",  "2",   "1",   "1000"};
// The same defaults as numbers, as readParams stores them.
inline constexpr MapParams kDefaultParams{1.4, 0.3, 0.5, 0.5, -2, -1, 2, 1, 1000};
inline const std::array<const char*, 9> kParamCaptions = {"a",   "b",   "x0",  "y0", "xbl",
                                                          "ybl", "xtr", "ytr", "N"};

// Checks the nine texts, stores what passes, and returns the verdict (paramsValid).
bool readParams(const ParamTexts& texts, MapParams& params, Dialogs& dialogs);

}  // namespace henon
