// SPDX-License-Identifier: MIT
// Histogram counting and drawing with any stored parameters, bin counts and view windows.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <numeric>
#include <string>

#include "check.h"
#include "model/histogram.h"
#include "params_input.h"
#include "plot/frames.h"
#include "plot/histo_plot.h"
#include "support/recording_surface.h"

using namespace henon;

namespace {

constexpr std::int32_t kMaxSteps = 50'000;
constexpr std::int32_t kMaxBinsHere = 20'000;

// The search as first written: recursive, one comparison per edge low + w*k. -2 if it runs away.
std::int32_t referenceBin(double v, double low, double w, std::int32_t lo, std::int32_t hi,
                          int depth = 0) {
  if (depth > 64) return -2;
  const std::int32_t mid = lo + static_cast<std::int32_t>(std::floor((hi - lo) / 2.0));
  if (v < low + w * mid) return referenceBin(v, low, w, lo, mid, depth + 1);
  if (v >= low + w * (mid + 1)) return referenceBin(v, low, w, mid + 1, hi, depth + 1);
  return mid;
}

bool inBinRange(double v, double low, double w, std::int32_t m) {
  return v >= low + w * 0 && v < low + w * (m + 1.0);
}

void checkBin(double v, double low, double w, std::int32_t m) {
  const std::int32_t k = binIndex(v, low, w, m);
  if (!inBinRange(v, low, w, m)) {
    FUZZ_CHECK(k == -1, "binIndex(%.17g, %.17g, %.17g, %d) = %d outside the bins", v, low, w, m, k);
    return;
  }
  const std::int32_t r = referenceBin(v, low, w, 0, m);
  FUZZ_CHECK(k == r, "binIndex(%.17g, %.17g, %.17g, %d) = %d, reference %d", v, low, w, m, k, r);
  // The bisection binIndex falls back on, which the counts are checked against at 10^8 steps.
  const std::int32_t b = searchBin(v, low, w, m);
  FUZZ_CHECK(b == r, "searchBin(%.17g, %.17g, %.17g, %d) = %d, reference %d", v, low, w, m, b, r);
  FUZZ_CHECK(low + w * k <= v && v < low + w * (k + 1.0), "bin %d does not hold %.17g", k, v);
}

std::int32_t binCount(FuzzedDataProvider& in, std::int32_t cap) {
  // Spread evenly over the powers of two up to the cap, so small counts come up often.
  const int bits = in.ConsumeIntegralInRange(0, static_cast<int>(std::ceil(std::log2(cap))));
  return in.ConsumeIntegralInRange<std::int32_t>(1, std::min<std::int64_t>(cap, 1LL << bits));
}

bool hasNumberWord(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s.find("nan") != std::string::npos || s.find("inf") != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);

  // The search alone, on any edges, up to the largest bin count the prompt accepts.
  {
    const double low = anyFinite(in);
    const double w = in.ConsumeBool() ? std::fabs(anyFinite(in)) : anyFinite(in);
    const std::int32_t m = binCount(in, kMaxBins);
    const double v =
        in.ConsumeBool() ? anyFinite(in) : low + w * in.ConsumeFloatingPointInRange(-1.0, m + 2.0);
    checkBin(v, low, w, m);
    checkBin(low + w * std::floor(in.ConsumeFloatingPointInRange(0.0, m + 1.0)), low, w, m);
  }

  // Counting with whatever readParams last stored, accepted or not.
  MapParams p;
  p.a = anyFinite(in);
  p.b = anyFinite(in);
  p.x0 = anyFinite(in);
  p.y0 = anyFinite(in);
  p.xbl = anyFinite(in);
  p.xtr = in.ConsumeBool() ? p.xbl + anyFinite(in) : anyFinite(in);
  p.ybl = anyFinite(in);
  p.ytr = in.ConsumeBool() ? p.ybl + anyFinite(in) : anyFinite(in);
  if (!std::isfinite(p.xtr) || !std::isfinite(p.ytr)) return 0;
  p.N = in.ConsumeIntegralInRange<std::int32_t>(-1, kMaxSteps);
  p.N = std::min(p.N, binCount(in, kMaxSteps));

  HistoState h;
  h.m = binCount(in, kMaxBinsHere);
  h.maxN = in.ConsumeBool() ? in.ConsumeIntegral<std::int32_t>() : binCount(in, kMaxSteps);
  collectHisto(h, p);

  FUZZ_CHECK(h.xCount.size() == std::size_t(h.m) + 1 && h.yCount.size() == std::size_t(h.m) + 1,
             "count arrays of %zu for m = %d", h.xCount.size(), h.m);
  HistoCounts xRef(h.m + 1), yRef(h.m + 1);
  double x = p.x0, y = p.y0;
  for (std::int32_t i = 0; i < p.N; ++i) {
    const double xNew = (1 + y) - (p.a * x) * x;
    const double yNew = p.b * x;
    // An empty or inverted window on either axis counts nothing at all.
    if (h.xBinWidth > 0 && h.yBinWidth > 0) {
      if (inBinRange(xNew, p.xbl, h.xBinWidth, h.m))
        ++xRef[referenceBin(xNew, p.xbl, h.xBinWidth, 0, h.m)];
      if (inBinRange(yNew, p.ybl, h.yBinWidth, h.m))
        ++yRef[referenceBin(yNew, p.ybl, h.yBinWidth, 0, h.m)];
    }
    x = xNew;
    y = yNew;
    if (!std::isfinite(x) && !std::isfinite(y)) break;
  }
  FUZZ_CHECK(h.xCount == xRef, "x counts differ from the reference (m = %d, N = %d)", h.m, p.N);
  FUZZ_CHECK(h.yCount == yRef, "y counts differ from the reference (m = %d, N = %d)", h.m, p.N);
  const long long xs = std::accumulate(h.xCount.begin(), h.xCount.end(), 0LL);
  const long long ys = std::accumulate(h.yCount.begin(), h.yCount.end(), 0LL);
  FUZZ_CHECK(xs <= std::max(p.N, 0) && ys <= std::max(p.N, 0), "%lld and %lld counts for N = %d",
             xs, ys, p.N);

  // Drawing both panels, as the command does, on a window of any size.
  const double width = in.ConsumeFloatingPointInRange(0.0, 1e6);
  const double height = in.ConsumeFloatingPointInRange(0.0, 1e6);
  RecordingSurface window(width, height);
  const PanelMetrics pm = measurePanelMetrics(window);
  PlotFrame frame;
  plotHistoPanels(window, window, pm, frame, h, p);
  std::size_t boxes = 0;
  for (const DrawOp& op : window.ops) {
    FUZZ_CHECK(std::isfinite(op.x1) && std::isfinite(op.y1) && std::isfinite(op.x2) &&
                   std::isfinite(op.y2),
               "op %d at (%g, %g)-(%g, %g)", int(op.kind), op.x1, op.y1, op.x2, op.y2);
    FUZZ_CHECK(!hasNumberWord(op.text), "printed '%s'", op.text.c_str());
    boxes += op.kind == DrawOp::kBox;
  }
  FUZZ_CHECK(boxes <= 2 * std::size_t(h.m), "%zu bars for m = %d", boxes, h.m);
  return 0;
}
