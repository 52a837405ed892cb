// SPDX-License-Identifier: MIT
#include "model/params.h"

#include <cmath>

#include "model/numeric_text.h"
#include "surface/dialogs.h"

namespace henon {

bool readParams(const ParamTexts& texts, MapParams& params, Dialogs& dialogs) {
  bool paramsValid = true;
  for (const std::string& text : texts) {
    if (text.empty()) {
      dialogs.MsgBox("Please enter all values");
      paramsValid = false;
      break;
    }
  }
  std::array<double, 9> values{};
  for (std::size_t i = 0; i < texts.size(); ++i) {
    auto v = toDouble(texts[i]);
    if (!v) {
      dialogs.MsgBox("Please enter valid numerical values.");
      paramsValid = false;
      break;
    }
    values[i] = *v;
  }
  if (!paramsValid) return false;

  params.a = values[kBoxA];
  params.b = values[kBoxB];
  params.x0 = values[kBoxX0];
  params.y0 = values[kBoxY0];
  params.xbl = values[kBoxXbl];
  params.ybl = values[kBoxYbl];
  params.xtr = values[kBoxXtr];
  params.ytr = values[kBoxYtr];
  auto n = toInt32(values[kBoxN]);
  if (n) params.N = *n;

  // A window wider than the largest double cannot be mapped onto the screen.
  bool widthsFinite =
      std::isfinite(params.xtr - params.xbl) && std::isfinite(params.ytr - params.ybl);
  if (!n || *n < 1 || params.xbl >= params.xtr || params.ybl >= params.ytr || !widthsFinite) {
    dialogs.MsgBox("Invalid parameter value");
    paramsValid = false;
  }
  return paramsValid;
}

}  // namespace henon
