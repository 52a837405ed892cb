// SPDX-License-Identifier: MIT
// Nine arbitrary texts in the parameter panel.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "check.h"
#include "model/numeric_text.h"
#include "model/params.h"
#include "support/recording_surface.h"

using namespace henon;

namespace {

bool sameParams(const MapParams& p, const MapParams& q) {
  // Bitwise, so that a stored -0 or a changed NaN would show.
  return std::memcmp(&p, &q, sizeof p) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  ParamTexts texts;
  for (std::string& t : texts) {
    // Mostly short texts; now and then a default, so that the range check gets reached.
    if (in.ConsumeBool()) {
      t = in.ConsumeRandomLengthString(40);
    } else {
      t = kDefaultParamTexts[in.ConsumeIntegralInRange<std::size_t>(0, 8)];
    }
  }
  MapParams before = kDefaultParams;
  before.a = in.ConsumeFloatingPoint<double>();
  before.N = in.ConsumeIntegral<std::int32_t>();
  MapParams params = before;
  ScriptedDialogs dialogs;
  const bool valid = readParams(texts, params, dialogs);

  using Messages = std::vector<std::string>;
  const Messages& got = dialogs.messages;
  const Messages allowed[] = {
      {},
      {"Please enter all values", "Please enter valid numerical values."},
      {"Please enter valid numerical values."},
      {"Invalid parameter value"},
  };
  bool known = false;
  for (const Messages& a : allowed) known = known || got == a;
  FUZZ_CHECK(known, "unexpected messages (%zu, first '%s')", got.size(),
             got.empty() ? "" : got[0].c_str());
  FUZZ_CHECK(valid == got.empty(), "verdict %d with %zu messages", valid, got.size());
  FUZZ_CHECK(dialogs.prompts.empty(), "readParams asked for input");

  bool anyEmpty = false, allNumeric = true;
  for (const std::string& t : texts) {
    anyEmpty = anyEmpty || t.empty();
    allNumeric = allNumeric && toDouble(t).has_value();
  }
  FUZZ_CHECK(anyEmpty == (!got.empty() && got[0] == "Please enter all values"),
             "empty box and message disagree");
  if (!allNumeric) {
    FUZZ_CHECK(!valid && got.back() == "Please enter valid numerical values.",
               "a text that is no number passed");
    FUZZ_CHECK(sameParams(params, before), "a refused read changed the stored values");
    return 0;
  }

  // Every text passed the number test: all nine are stored, and they are all finite.
  for (double v :
       {params.a, params.b, params.x0, params.y0, params.xbl, params.ybl, params.xtr, params.ytr})
    FUZZ_CHECK(std::isfinite(v), "stored %.17g", v);
  FUZZ_CHECK(params.a == *toDouble(texts[kBoxA]) && params.ytr == *toDouble(texts[kBoxYtr]),
             "stored values are not the texts");
  const auto n = toInt32(*toDouble(texts[kBoxN]));
  const bool inRange = n && *n >= 1 && params.xbl < params.xtr && params.ybl < params.ytr &&
                       std::isfinite(params.xtr - params.xbl) &&
                       std::isfinite(params.ytr - params.ybl);
  FUZZ_CHECK(valid == inRange, "verdict %d for N text '%s'", valid, texts[kBoxN].c_str());
  if (valid) FUZZ_CHECK(params.N == *n, "N %d from '%s'", params.N, texts[kBoxN].c_str());
  return 0;
}
