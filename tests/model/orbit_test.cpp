// SPDX-License-Identifier: MIT
#include "model/orbit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "plot/frames.h"
#include "support/hashing_surface.h"
#include "support/recording_surface.h"
#include "surface/point_raster.h"

namespace henon {
namespace {

// The main window's frame for a 10000 x 6000 client area.
constexpr PlotFrame kFrame{800, 5700, 9500, 5700, 800, 900};

struct Orbit : ::testing::Test {
  RecordingSurface surface{10000, 6000};
  ScriptedDialogs dialogs;
  MapParams params = kDefaultParams;
  CutOffLimits limits;
  PlotFrame frame = kFrame;

  std::vector<DrawOp> run(PlotMode mode = PlotMode::k2D, SeriesName series = SeriesName::kXts) {
    plotOrbit(surface, params, limits, frame, {mode, series}, dialogs);
    return surface.of(DrawOp::kPSet);
  }
};

TEST_F(Orbit, DefaultOrbitDrawsAllPointsInsideTheFrame) {
  auto points = run();
  ASSERT_EQ(points.size(), 1000u);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(params.N, 1000);
  // (1.15, 0.15), (-0.7015, 0.345), (0.656057, -0.21045)
  const double xs[] = {1.15, -0.7015, 0.656057}, ys[] = {0.15, 0.345, -0.21045};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(points[i].x1, 9500 - 8700 * (2 - xs[i]) / 4, 0.01) << i;
    EXPECT_NEAR(points[i].y1, 5700 - 4800 * (-1 - ys[i]) / -2, 0.01) << i;
  }
  for (const DrawOp& p : points) {
    EXPECT_GT(p.x1, 800);
    EXPECT_LT(p.x1, 9500);
    EXPECT_GT(p.y1, 900);
    EXPECT_LT(p.y1, 5700);
  }
  // Points arrive in batches, not one call each.
  EXPECT_EQ(surface.batches, 1);
}

TEST_F(Orbit, LatePointsArePinnedToTheBit) {
  // Any reordering or fused multiply-add in the step or the mappings moves these points.
  params.N = 200000;
  auto points = run();
  ASSERT_EQ(points.size(), 200000u);
  EXPECT_EQ(points[99999].x1, 0x1.eab0290130216p+12);
  EXPECT_EQ(points[99999].y1, 0x1.93098411476b1p+11);
  EXPECT_EQ(points[199999].x1, 0x1.b6ed89bc87e6bp+12);
  EXPECT_EQ(points[199999].y1, 0x1.703a3c9390d83p+11);
  EXPECT_EQ(surface.batches, 49);  // 4096 points a batch
}

TEST_F(Orbit, PacerGetsTurnsBetweenBatchesWithThePointsSoFarDrawn) {
  std::vector<std::size_t> drawnAtTurn;
  Pacer everyBatch([&] { drawnAtTurn.push_back(surface.of(DrawOp::kPSet).size()); },
                   Pacer::Clock::duration::zero());
  // A short orbit fills no batch, yet its points are on the surface at the pacer's turn.
  params.N = 1000;
  plotOrbit(surface, params, limits, frame, {PlotMode::k2D}, dialogs, &everyBatch);
  EXPECT_EQ(drawnAtTurn, std::vector<std::size_t>{1000});

  surface.ops.clear();
  drawnAtTurn.clear();
  params.N = 10000;
  plotOrbit(surface, params, limits, frame, {PlotMode::k1D, SeriesName::kXts}, dialogs,
            &everyBatch);
  EXPECT_EQ(drawnAtTurn, (std::vector<std::size_t>{4096, 8192, 10000}));

  // A pacer that is not yet due is left alone, and the picture is the same.
  const auto paced = surface.of(DrawOp::kPSet);
  surface.ops.clear();
  Pacer later([] { FAIL() << "a pacer ran before it was due"; }, std::chrono::hours(1));
  plotOrbit(surface, params, limits, frame, {PlotMode::k1D, SeriesName::kXts}, dialogs, &later);
  EXPECT_EQ(surface.of(DrawOp::kPSet).size(), paced.size());
}

TEST_F(Orbit, CutOffStopsWithCountAndLowersN) {
  params.x0 = 10;  // (-138.5, 3), then x = -26851.15
  EXPECT_TRUE(run().empty());
  EXPECT_EQ(dialogs.messages,
            std::vector<std::string>{"An overflow has occured. Only points up to 1 are ploted."});
  EXPECT_EQ(params.N, 1);

  dialogs.messages.clear();
  params.x0 = 2;
  params.N = 1000;
  EXPECT_TRUE(run().empty());
  EXPECT_EQ(dialogs.messages,
            std::vector<std::string>{"An overflow has occured. Only points up to 3 are ploted."});
  EXPECT_EQ(params.N, 3);
}

TEST_F(Orbit, EscapeAtFirstStepCountsZero) {
  limits.escapeXMax = 1;  // the first point has x = 1.15
  EXPECT_TRUE(run().empty());
  EXPECT_EQ(dialogs.messages.at(0), "An overflow has occured. Only points up to 0 are ploted.");
  EXPECT_EQ(params.N, 0);
}

TEST_F(Orbit, PointOnALimitGoesOnAndPointOnTheEdgeIsNotDrawn) {
  const double x1 = (1 + 0.5) - ((0.5 * 1.4) * 0.5);
  limits.escapeXMax = x1;
  params.xtr = x1;
  params.N = 3;
  auto points = run();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(params.N, 3);
  // Step 1 sits on the edge and is skipped; the orbit goes on from it unchanged.
  ASSERT_EQ(points.size(), 2u);
  const double x2 = (1 + 0.5 * 0.3) - ((x1 * 1.4) * x1);
  EXPECT_NEAR(points[0].x1, 9500 - 8700 * (x1 - x2) / (x1 + 2), 1e-9);
}

TEST_F(Orbit, OneDimensionalSeries) {
  // N = 1: the single point sits on the frame's right edge.
  params.N = 1;
  auto points = run(PlotMode::k1D, SeriesName::kYts);
  ASSERT_EQ(points.size(), 1u);
  EXPECT_EQ(points[0].x1, 9500);
  EXPECT_NEAR(points[0].y1, 5700 - 4800 * 1.15 / 2, 1e-9);

  // The x series maps x from xbl..xtr onto the frame's height.
  surface.ops.clear();
  points = run(PlotMode::k1D, SeriesName::kXts);
  ASSERT_EQ(points.size(), 1u);
  EXPECT_NEAR(points[0].y1, 5700 - (4800 * (-2 - 1.15)) / (-2 - 2), 1e-9);

  // Step i sits at i/N of the width, whichever coordinate the series shows.
  surface.ops.clear();
  params.N = 4;
  points = run(PlotMode::k1D, SeriesName::kXts);
  ASSERT_EQ(points.size(), 4u);
  EXPECT_EQ(points[1].x1, 800 + 2 * 8700 / 4.0);
  surface.ops.clear();
  const auto ys = run(PlotMode::k1D, SeriesName::kYts);
  ASSERT_EQ(ys.size(), 4u);
  for (std::size_t i = 0; i < ys.size(); ++i) EXPECT_EQ(ys[i].x1, points[i].x1) << i;
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Orbit, OneDimensionalPointNeedsBothCoordinatesInView) {
  params.ytr = 0.1;  // the first point's y = 0.15 is out of view
  params.N = 1;
  EXPECT_TRUE(run(PlotMode::k1D, SeriesName::kXts).empty());
}

TEST_F(Orbit, NonFiniteStepEscapesWhateverTheLimits) {
  params.a = 1e300;
  params.x0 = 1e300;
  limits = {1e308, 1e308, -1e308, -1e308};
  EXPECT_TRUE(run().empty());
  EXPECT_EQ(dialogs.messages.at(0), "An overflow has occured. Only points up to 0 are ploted.");

  // With inverted limits every point escapes at once.
  dialogs.messages.clear();
  params = kDefaultParams;
  limits = {-1000, -1000, 1000, 1000};
  EXPECT_TRUE(run().empty());
  EXPECT_EQ(params.N, 0);
}

TEST_F(Orbit, FrameWithoutAreaDrawsNothingButStillStops) {
  frame = PlotFrame{};
  EXPECT_TRUE(run().empty());
  EXPECT_TRUE(dialogs.messages.empty());
  params.x0 = 10;
  params.N = 1000;
  run();
  EXPECT_EQ(params.N, 1);
}

// A surface lending a raster over a 1920 x 1000 pixel client area at 15 twips a pixel, as a
// window does at one or two device pixels per logical pixel.
struct RasterSurface : RecordingSurface {
  explicit RasterSurface(int side)
      : RecordingSurface(28800, 15000), side(side), pixels(1920 * 1000 * side * side, 0) {}
  const PointRaster* pointRaster() override {
    // Withholding it now and then stands for a window moved between screens mid-run.
    if (withholdEvery > 0 && ++asked % withholdEvery == 0) return nullptr;
    raster = rasterOver(pixels, side);
    return &raster;
  }
  void rasterChanged() override { ++changes; }
  static PointRaster rasterOver(std::vector<std::uint32_t>& pixels, int side) {
    return {pixels.data(), 1920 * side, 1920,        1000,       1.0 / 15, 1,
            double(side),  side,        1920 * side, 1000 * side};
  }
  int side;
  std::vector<std::uint32_t> pixels;
  PointRaster raster;
  int withholdEvery = 0, asked = 0, changes = 0;
};

std::vector<std::uint32_t> pixelsOf(const std::vector<DrawOp>& points, int side) {
  std::vector<std::uint32_t> pixels(1920 * 1000 * side * side, 0);
  const PointRaster r = RasterSurface::rasterOver(pixels, side);
  for (const DrawOp& p : points) r.set(p.x1, p.y1);
  return pixels;
}

struct ChangesAtMessage : ScriptedDialogs {
  explicit ChangesAtMessage(const int& c) : changes(c) {}
  void MsgBox(const std::string& prompt) override {
    seen = changes;
    ScriptedDialogs::MsgBox(prompt);
  }
  const int& changes;
  int seen = -1;
};

TEST(OrbitRaster, SetsExactlyThePixelsOfTheStagedPoints) {
  struct Case {
    double xbl, ybl, xtr, ytr;
    CutOffLimits limits;
    std::int32_t n;
    int withholdEvery;
    int side = 1;
    bool series = false;  // both time-series panels in one loop
  };
  const Case cases[] = {
      {-2, -1, 2, 1, {}, 200000, 0},                              // a view proven safe
      {-2, -1, 2, 1, {1.5, 1000, -1.5, -1000}, 200000, 0},        // limits inside the view
      {-1, -0.3, 1, 0.3, {1.2729, 1000, -1000, -1000}, 1851, 0},  // a late escape
      {-2, -1, 2, 1, {}, 200000, 3},                              // staged now and then
      {-2, -1, 2, 1, {}, 200000, 0, 2},                           // points of 2 x 2 pixels
      // Both orbits escape; the right one runs to the left one's N and ends at 1144.
      {-1, -0.3, 1, 0.3, {1.2726, 1000, -1000, -1000}, 1144, 2, 1, true},
      {-2, -1, 2, 1, {1.5, 1000, -1.5, -1000}, 200000, 2, 2, true},
  };
  for (std::size_t k = 0; k < std::size(cases); ++k) {
    const Case& c = cases[k];
    SCOPED_TRACE("case " + std::to_string(k));
    const MapParams start{1.4, 0.3, 0.5, 0.5, c.xbl, c.ybl, c.xtr, c.ytr, 200000};
    RecordingSurface staged(28800, 15000);
    PlotFrame frame, right;
    const PanelMetrics pm = measurePanelMetrics(staged);
    if (c.series) {
      setFrameLeftPanel(frame, pm, staged);
      setFrameRightPanel(right, pm, staged);
    } else {
      setFrameForm1(frame, staged);
    }
    int panels = 0;
    const auto plot = [&](DrawingSurface& s, MapParams& m, Dialogs& d, Pacer* pacer) {
      if (c.series)
        plotSeriesPanels(s, m, c.limits, frame, right, d, pacer, [&] { ++panels; });
      else
        plotOrbit(s, m, c.limits, frame, {PlotMode::k2D}, d, pacer);
    };
    MapParams p = start;
    ScriptedDialogs stagedDialogs;
    plot(staged, p, stagedDialogs, nullptr);

    RasterSurface direct(c.side);
    direct.withholdEvery = c.withholdEvery;
    MapParams q = start;
    ChangesAtMessage dialogs(direct.changes);
    int changesAtTurn = -1;
    Pacer pacer([&] { changesAtTurn = direct.changes; }, Pacer::Clock::duration::zero());
    plot(direct, q, dialogs, &pacer);

    EXPECT_EQ(panels, c.series ? 2 : 0);
    EXPECT_EQ(q.N, c.n);
    EXPECT_EQ(q.N, p.N);
    EXPECT_EQ(dialogs.messages, stagedDialogs.messages);
    const auto want = pixelsOf(staged.of(DrawOp::kPSet), c.side);
    EXPECT_GT(std::count(want.begin(), want.end(), 1u), 1000);
    // Points staged while the raster was withheld are recorded, not set: add them.
    const auto stagedThere = direct.of(DrawOp::kPSet);
    EXPECT_EQ(stagedThere.empty(), c.withholdEvery == 0);
    const auto alsoStaged = pixelsOf(stagedThere, c.side);
    for (std::size_t i = 0; i < want.size(); ++i) direct.pixels[i] |= alsoStaged[i];
    EXPECT_TRUE(direct.pixels == want);
    // What was set shows before the window system's turn and before the message.
    EXPECT_GE(dialogs.messages.empty() ? changesAtTurn : dialogs.seen, 1);
    EXPECT_GT(direct.changes, changesAtTurn);  // and once more at the end
  }
}

TEST(OrbitHash, EveryStagedPointIsPinnedToTheBit) {
  // Views that the loop can prove safe and views it cannot, all drawing modes, points in and out
  // of view, and an escape outside the view late in the run.
  struct Case {
    OrbitStyle style;
    double xbl, ybl, xtr, ytr;
    CutOffLimits limits;
    std::size_t points;
    std::int32_t n;
    std::uint64_t hash;
  };
  const OrbitStyle k2D{PlotMode::k2D}, kX{PlotMode::k1D, SeriesName::kXts},
      kY{PlotMode::k1D, SeriesName::kYts};
  const CutOffLimits narrow{1.5, 1000, -1.5, -1000};
  const Case cases[] = {
      {k2D, -2, -1, 2, 1, {}, 1000000, 1000000, 0xf82a7f09e4d2ad84},
      {kX, -2, -1, 2, 1, {}, 1000000, 1000000, 0xa536973075d029ec},
      {kY, -2, -1, 2, 1, {}, 1000000, 1000000, 0x44878049ef07263a},
      {k2D, -2, -1, 0.3, 1, {}, 424199, 1000000, 0xbe55e613f51d23bb},
      {kX, -2, -1, 0.3, 1, {}, 424199, 1000000, 0xa3b8652cc6236e3e},
      {kY, -2, -1, 2, 0.1, {}, 451754, 1000000, 0xb9e1e1b5092c9c97},
      {k2D, -2, -1, 2, 1, narrow, 1000000, 1000000, 0xf82a7f09e4d2ad84},
      {kX, -2, -1, 2, 1, narrow, 1000000, 1000000, 0xa536973075d029ec},
      {k2D, -1, -0.3, 1, 0.3, {1.2729, 1000, -1000, -1000}, 1095, 1851, 0xbef69075066f48ac},
  };
  for (std::size_t k = 0; k < std::size(cases); ++k) {
    const Case& c = cases[k];
    // A 1920 x 1000 pixel client area at 15 twips a pixel.
    HashingSurface surface(28800, 15000);
    PlotFrame frame;
    setFrameForm1(frame, surface);
    MapParams p{1.4, 0.3, 0.5, 0.5, c.xbl, c.ybl, c.xtr, c.ytr, 1000000};
    ScriptedDialogs dialogs;
    plotOrbit(surface, p, c.limits, frame, c.style, dialogs);
    const std::uint64_t hash = surface.pinned(p.N);
    SCOPED_TRACE("case " + std::to_string(k));
    EXPECT_EQ(surface.count, c.points);
    EXPECT_EQ(p.N, c.n);
    EXPECT_EQ(hash, c.hash);
  }
}

}  // namespace
}  // namespace henon
