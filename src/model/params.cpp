#include "model/params.h"

#include <cmath>

#include "model/numeric_text.h"

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

  params.a = values[0];
  params.b = values[1];
  params.x0 = values[2];
  params.y0 = values[3];
  params.xbl = values[4];
  params.ybl = values[5];
  params.xtr = values[6];
  params.ytr = values[7];
  auto n = toInt32(values[8]);
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
