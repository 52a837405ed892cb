// SPDX-License-Identifier: MIT
// An orbit with any accepted parameters, limits and frame, drawn on a recording surface; the
// time-series panels' two orbits in one loop against one after the other.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "check.h"
#include "model/orbit.h"
#include "params_input.h"
#include "plot/frames.h"
#include "support/recording_surface.h"
#include "surface/point_raster.h"

using namespace henon;

namespace {

constexpr std::int32_t kMaxSteps = 100'000;

bool within(double v, double a, double b) {
  const double lo = std::min(a, b), hi = std::max(a, b);
  // The mapping rounds twice, so a point on an edge may land an ulp or so outside it.
  const double slack = 1e-9 * (std::fabs(lo) + std::fabs(hi) + 1);
  return v >= lo - slack && v <= hi + slack;
}

// Lends a small raster, so that most points of a large frame fall off it.
struct RasterSurface : RecordingSurface {
  RasterSurface(double width, double height, int cols, int rows, double pixelsPerTwip, int side)
      : RecordingSurface(width, height),
        pixels(static_cast<std::size_t>(cols * side) * static_cast<std::size_t>(rows * side)),
        raster{pixels.data(), cols * side, double(cols), double(rows), pixelsPerTwip, 1,
               double(side),  side,        cols * side,  rows * side} {}
  const PointRaster* pointRaster() override { return &raster; }
  std::vector<std::uint32_t> pixels;
  PointRaster raster;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  auto params = acceptedParams(in, kMaxSteps);
  if (!params) return 0;
  MapParams p = *params;

  CutOffLimits lim;
  if (in.ConsumeBool()) {
    lim.escapeXMax = anyFinite(in);
    lim.escapeYMax = anyFinite(in);
    lim.escapeXMin = anyFinite(in);
    lim.escapeYMin = anyFinite(in);
  }

  // Window sizes from nothing to far beyond any screen, in twips.
  const double width = in.ConsumeFloatingPointInRange(0.0, 1e6);
  const double height = in.ConsumeFloatingPointInRange(0.0, 1e6);
  RecordingSurface surface(width, height);
  PlotFrame frame;
  const int where = in.ConsumeIntegralInRange(0, 2);
  if (where == 0) {
    setFrameForm1(frame, surface);
  } else {
    const PanelMetrics pm = measurePanelMetrics(surface);
    if (where == 1) setFrameLeftPanel(frame, pm, surface);
    if (where == 2) setFrameRightPanel(frame, pm, surface);
  }
  constexpr OrbitStyle kStyles[] = {{PlotMode::k2D, SeriesName::kXts},
                                    {PlotMode::k1D, SeriesName::kXts},
                                    {PlotMode::k1D, SeriesName::kYts}};
  const OrbitStyle style = kStyles[in.ConsumeIntegralInRange(0, 2)];

  const int cols = in.ConsumeIntegralInRange(1, 64), rows = in.ConsumeIntegralInRange(1, 64);
  const double pixelsPerTwip = in.ConsumeFloatingPointInRange(1e-6, 1e3);
  const int side = in.ConsumeIntegralInRange(1, 2);

  const MapParams start = p;
  ScriptedDialogs dialogs;
  const std::int32_t n = p.N;
  plotOrbit(surface, p, lim, frame, style, dialogs);

  FUZZ_CHECK(dialogs.messages.size() <= 1, "%zu messages", dialogs.messages.size());
  if (dialogs.messages.empty()) {
    FUZZ_CHECK(p.N == n, "N changed from %d to %d without a message", n, p.N);
  } else {
    FUZZ_CHECK(p.N >= 0 && p.N < n, "N went from %d to %d", n, p.N);
    FUZZ_CHECK(dialogs.messages[0] == overflowMessage(p.N), "message '%s' with N = %d",
               dialogs.messages[0].c_str(), p.N);
  }

  std::size_t points = 0;
  for (const DrawOp& op : surface.ops) {
    FUZZ_CHECK(op.kind == DrawOp::kPSet, "plotOrbit drew an op of kind %d", int(op.kind));
    FUZZ_CHECK(std::isfinite(op.x1) && std::isfinite(op.y1), "point (%g, %g) reached the surface",
               op.x1, op.y1);
    FUZZ_CHECK(within(op.x1, frame.frameLeft, frame.frameRight) &&
                   within(op.y1, frame.frameTop, frame.frameBottom),
               "point (%.17g, %.17g) outside the frame %g..%g x %g..%g", op.x1, op.y1,
               frame.frameLeft, frame.frameRight, frame.frameTop, frame.frameBottom);
    ++points;
  }
  FUZZ_CHECK(points <= static_cast<std::size_t>(p.N), "%zu points for N = %d", points, p.N);
  if (!frame.hasArea()) FUZZ_CHECK(points == 0, "%zu points in a frame without area", points);

  // Set straight into a raster, the orbit must end alike and set just what its points would set;
  // the sanitizer watches that no store leaves the raster.
  const auto setAsStaged = [&](const RasterSurface& direct, const MapParams& d,
                               const ScriptedDialogs& dd, const RecordingSurface& twin,
                               const MapParams& t, const ScriptedDialogs& td) {
    FUZZ_CHECK(d.N == t.N, "N = %d set directly, %d staged", d.N, t.N);
    FUZZ_CHECK(dd.messages == td.messages, "the messages differ");
    FUZZ_CHECK(direct.ops.empty(), "%zu ops on a surface lending a raster", direct.ops.size());
    RasterSurface staged(width, height, cols, rows, pixelsPerTwip, side);
    for (const DrawOp& op : twin.ops) staged.raster.set(op.x1, op.y1);
    FUZZ_CHECK(direct.pixels == staged.pixels, "the raster differs from the staged points");
  };
  if (style.plotMode != PlotMode::k2D) {
    // Both panels' orbits in one loop against one panel after the other, in the time-series
    // panels of the same window.
    const PanelMetrics pm = measurePanelMetrics(surface);
    PlotFrame left, right;
    setFrameLeftPanel(left, pm, surface);
    setFrameRightPanel(right, pm, surface);
    RecordingSurface apart(width, height);
    MapParams q = start;
    ScriptedDialogs apartDialogs;
    plotSeriesPanels(apart, q, lim, left, right, apartDialogs, nullptr, [] {});
    RasterSurface lanes(width, height, cols, rows, pixelsPerTwip, side);
    MapParams r = start;
    ScriptedDialogs lanesDialogs;
    plotSeriesPanels(lanes, r, lim, left, right, lanesDialogs, nullptr, [] {});
    setAsStaged(lanes, r, lanesDialogs, apart, q, apartDialogs);
    return 0;
  }
  RasterSurface direct(width, height, cols, rows, pixelsPerTwip, side);
  MapParams q = start;
  ScriptedDialogs directDialogs;
  plotOrbit(direct, q, lim, frame, style, directDialogs);
  setAsStaged(direct, q, directDialogs, surface, p, dialogs);
  return 0;
}
