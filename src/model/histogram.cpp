// SPDX-License-Identifier: MIT
#include "model/histogram.h"

#include <cmath>

#include "model/map_step.h"
#include "model/numeric_text.h"
#include "model/vector_state.h"
#include "surface/drawing_surface.h"

namespace henon {
namespace {

// The answer as a whole number, or empty after telling the user why not.
std::optional<std::int32_t> askInt(Dialogs& dialogs, const char* prompt, const char* title,
                                   const char* notNumeric) {
  std::string answer = dialogs.InputBox(prompt, title);
  auto value = toDouble(answer);
  if (!value) {
    dialogs.MsgBox(notNumeric);
    return std::nullopt;
  }
  auto whole = toInt32(*value);
  if (!whole) {
    dialogs.MsgBox("Invalid number.");
    return std::nullopt;
  }
  return whole;
}

}  // namespace

void enterM(HistoState& h, Dialogs& dialogs) {
  auto m =
      askInt(dialogs, "Enter number of bins m, then click OK", "Input m", "Enter a valid number");
  h.m = m.value_or(0);
  if (m && (*m <= 0 || *m > kMaxBins)) {
    dialogs.MsgBox("Invalid number.");
    h.m = 0;
  }
}

void enterMaxN(HistoState& h, Dialogs& dialogs) {
  auto maxN = askInt(dialogs, "Enter maximum n value to show in the histogram, then click OK",
                     "Enter maximum y", "Invalid value");
  if (!maxN) {
    h.m = 0;
    return;
  }
  h.maxN = *maxN;
  if (h.maxN <= 0) {
    dialogs.MsgBox("Invalid number.");
    h.m = 0;
  }
}

void setBinWidths(HistoState& h, const MapParams& p) {
  h.xBinWidth = (p.xtr - p.xbl) / h.m;
  h.yBinWidth = (p.ytr - p.ybl) / h.m;
}

void collectHisto(HistoState& h, const MapParams& p, Pacer* pacer) {
  const std::int32_t m = h.m;
  h.xCount.assign(static_cast<std::size_t>(m) + 1, 0);
  h.yCount.assign(static_cast<std::size_t>(m) + 1, 0);
  setBinWidths(h, p);
  // An empty or inverted window has no bins to count into.
  if (!(h.xBinWidth > 0) || !(h.yBinWidth > 0)) return;
  const double xbl = p.xbl, ybl = p.ybl, wx = h.xBinWidth, wy = h.yBinWidth;
  const double perWx = 1 / wx, perWy = 1 / wy;
  std::int32_t* xCount = h.xCount.data();
  std::int32_t* yCount = h.yCount.data();
  double x = p.x0;
  double y = p.y0;
  const std::int32_t n = p.N;
  // Chunks of a fraction of a millisecond: the pacer's clock is read once per chunk.
  constexpr std::int32_t kChunk = 1 << 16;
  for (std::int32_t done = 0; done < n;) {
    const std::int32_t end = n - done > kChunk ? done + kChunk : n;
    cleanVectorState();  // the pacer may have left it dirty
    for (std::int32_t i = done; i < end; ++i) {
      // The orbit's own step: a * x and x * a round alike.
      const auto [xNew, yNew] = mapStep(p.a, p.b, x, y);
      std::int32_t kx = binIndex(xNew, xbl, wx, m, perWx);
      std::int32_t ky = binIndex(yNew, ybl, wy, m, perWy);
      if (kx >= 0) ++xCount[kx];
      if (ky >= 0) ++yCount[ky];
      x = xNew;
      y = yNew;
      // Once x is no longer finite no later value of x or y can be finite again.
      if (!std::isfinite(x)) return;
    }
    done = end;
    if (pacer && pacer->due()) pacer->breathe();
  }
}

}  // namespace henon
