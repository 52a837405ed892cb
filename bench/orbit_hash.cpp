// SPDX-License-Identifier: MIT
// Hashes every point the orbit hands to its surface over long runs, so two builds can be shown to
// stage the same points to the bit. Prints one line per case and whether it matches the hashes
// recorded below for 10^8 steps; exits 1 on any difference. "--steps N" runs N steps a case
// instead and only prints. Then the two time-series panels drawn with both orbits in one loop
// are compared, pixel for pixel, with the same panels drawn one after the other, and the histogram
// counts with those of a bisection over the bin edges.
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "model/histogram.h"
#include "model/map_step.h"
#include "model/orbit.h"
#include "plot/frames.h"
#include "support/hashing_surface.h"
#include "surface/point_raster.h"

namespace {

using namespace henon;

struct Case {
  const char* name;
  OrbitStyle style;
  MapParams p;
  CutOffLimits limits;
  std::uint64_t expected;  // from the build the loop was first measured on
};

constexpr std::int32_t kN = 100'000'000;
constexpr OrbitStyle k2D{PlotMode::k2D};
constexpr OrbitStyle kX{PlotMode::k1D, SeriesName::kXts};
constexpr OrbitStyle kY{PlotMode::k1D, SeriesName::kYts};
constexpr double kW = 1e-4;  // the deep view's width: a few hundred points in 10^8 steps

const Case kCases[] = {
    {"2D default", k2D, {1.4, 0.3, 0.5, 0.5, -2, -1, 2, 1, kN}, {}, 0x48d6bebea70412e2},
    {"1D xts", kX, {1.4, 0.3, 0.5, 0.5, -2, -1, 2, 1, kN}, {}, 0x6835c0ee817f1a05},
    {"1D yts", kY, {1.4, 0.3, 0.5, 0.5, -2, -1, 2, 1, kN}, {}, 0xe01edf779b725aec},
    {"2D deep view",
     k2D,
     {1.4, 0.3, 0.5, 0.5, 0.63135448 - kW / 2, 0.18940634 - kW / 2, 0.63135448 + kW / 2,
      0.18940634 + kW / 2, kN},
     {},
     0x0aa54aaefde32e35},
    {"2D half view", k2D, {1.4, 0.3, 0.5, 0.5, -2, -1, 0.3, 1, kN}, {}, 0x71d311266f88c4e8},
    {"1D xts half view", kX, {1.4, 0.3, 0.5, 0.5, -2, -1, 0.3, 1, kN}, {}, 0xb519d8e1c5501320},
    {"1D yts half view", kY, {1.4, 0.3, 0.5, 0.5, -2, -1, 2, 0.1, kN}, {}, 0xe5bc29905182f664},
    {"2D view past the limits",
     k2D,
     {1.4, 0.3, 0.5, 0.5, -2, -1, 2, 1, kN},
     {1.5, 1000, -1.5, -1000},
     0x48d6bebea70412e2},
    // Limits inside the attractor's range: the orbit escapes out of view late in the run.
    {"2D late escape",
     k2D,
     {1.4, 0.3, 0.5, 0.5, -1, -0.3, 1, 0.3, kN},
     {1.2729, 1000, -1000, -1000},
     0xbef69075066f48ac},
};

// A 1920 x 1000 pixel image in memory. Lending its raster, it takes the orbit's pixels as a
// window does; lending none, it gets staged points and sets the same pixels from them.
class PixelSurface : public RecordingSurface {
 public:
  explicit PixelSurface(bool lend)
      : RecordingSurface(28800, 15000), pixels_(1920 * 1000), lend_(lend) {
    raster_ = {pixels_.data(), 1920, 1920, 1000, 1 / 15.0, 1, 1, 1, 1920, 1000};
  }
  const PointRaster* pointRaster() override { return lend_ ? &raster_ : nullptr; }
  void PSetMany(std::span<const Point> points) override {
    for (const Point& p : points) raster_.set(p.x, p.y);
  }
  std::uint64_t hash() const {
    std::uint64_t h = 0xcbf29ce484222325;
    for (std::uint32_t v : pixels_) h = (h ^ v) * 0x100000001b3;
    return h;
  }

 private:
  std::vector<std::uint32_t> pixels_;
  PointRaster raster_;
  bool lend_;
};

struct Panels {
  std::uint64_t hash;
  std::int32_t n;
  std::size_t messages;
};

Panels timeSeries(const Case& c, std::int32_t steps, bool lend) {
  PixelSurface surface(lend);
  const PanelMetrics pm = measurePanelMetrics(surface);
  PlotFrame left, right;
  setFrameLeftPanel(left, pm, surface);
  setFrameRightPanel(right, pm, surface);
  MapParams p = c.p;
  p.N = steps;
  ScriptedDialogs dialogs;
  plotSeriesPanels(surface, p, c.limits, left, right, dialogs, nullptr, [] {});
  return {surface.hash(), p.N, dialogs.messages.size()};
}

// The counts of the default orbit, each bin found by bisection.
bool countsAsBisection(std::int32_t m, std::int32_t steps) {
  HistoState h;
  h.m = m;
  MapParams p = kDefaultParams;
  p.N = steps;
  collectHisto(h, p);
  HistoCounts x(m + 1), y(m + 1);
  const auto count = [m](HistoCounts& counts, double v, double low, double w) {
    if (v >= low + w * 0 && v < low + w * (m + 1.0)) ++counts[searchBin(v, low, w, m)];
  };
  double xi = p.x0, yi = p.y0;
  for (std::int32_t i = 0; i < steps && std::isfinite(xi); ++i) {
    const MapStep next = mapStep(p.a, p.b, xi, yi);
    xi = next.x;
    yi = next.y;
    count(x, xi, p.xbl, h.xBinWidth);
    count(y, yi, p.ybl, h.yBinWidth);
  }
  return h.xCount == x && h.yCount == y;
}

}  // namespace

int main(int argc, char** argv) {
  std::int32_t steps = kN;
  if (argc == 3 && std::strcmp(argv[1], "--steps") == 0) steps = std::atoi(argv[2]);
  const bool record = steps != kN;
  // A 1920 x 1000 pixel client area at 15 twips a pixel.
  PlotFrame frame;
  setFrameForm1(frame, HashingSurface(28800, 15000));
  int differ = 0;
  for (const Case& c : kCases) {
    HashingSurface surface(28800, 15000);
    MapParams p = c.p;
    p.N = steps;
    ScriptedDialogs dialogs;
    plotOrbit(surface, p, c.limits, frame, c.style, dialogs);
    const std::uint64_t h = surface.pinned(p.N);
    const bool same = h == c.expected;
    differ += !same;
    std::printf("%-26s points %11" PRIu64 "  N %10d  hash 0x%016" PRIx64 "  %s\n", c.name,
                surface.count, p.N, h,
                record ? ""
                : same ? "agrees"
                       : "DIFFERS");
  }
  for (const Case& c : kCases) {
    if (c.style.plotMode != PlotMode::k2D) continue;
    const Panels lanes = timeSeries(c, steps, true), apart = timeSeries(c, steps, false);
    const bool same =
        lanes.hash == apart.hash && lanes.n == apart.n && lanes.messages == apart.messages;
    differ += !same;
    std::printf("1D panels, %-23s N %10d  messages %zu  pixels 0x%016" PRIx64 "  %s\n", c.name + 3,
                lanes.n, lanes.messages, lanes.hash,
                same ? "as one after the other" : "DIFFER from one after the other");
  }
  for (const std::int32_t m : {100, kMaxBins}) {
    const bool same = countsAsBisection(m, steps);
    differ += !same;
    std::printf("histogram, m = %-8d N %10d  counts %s\n", m, steps,
                same ? "as the bisection" : "DIFFER from the bisection");
  }
  return differ && !record ? 1 : 0;
}
