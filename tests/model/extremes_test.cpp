// SPDX-License-Identifier: MIT
// Inputs at the edges of what a person can type, on the recording surface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "model/histogram.h"
#include "model/numeric_text.h"
#include "model/orbit.h"
#include "plot/axes.h"
#include "plot/frames.h"
#include "plot/histo_plot.h"
#include "support/recording_surface.h"

namespace henon {
namespace {

using Messages = std::vector<std::string>;

bool hasNumberWord(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s.find("nan") != std::string::npos || s.find("inf") != std::string::npos;
}

// Every coordinate finite, every text free of nan and inf.
void expectSound(const RecordingSurface& s) {
  for (const DrawOp& op : s.ops) {
    EXPECT_TRUE(std::isfinite(op.x1) && std::isfinite(op.y1) && std::isfinite(op.x2) &&
                std::isfinite(op.y2))
        << "op " << op.kind << " at (" << op.x1 << ", " << op.y1 << ")";
    EXPECT_FALSE(hasNumberWord(op.text)) << op.text;
  }
}

struct Extremes : ::testing::Test {
  RecordingSurface surface{10000, 6000};
  ScriptedDialogs dialogs;
  PlotFrame frame;
  CutOffLimits limits;
  MapParams p = kDefaultParams;

  void SetUp() override { setFrameForm1(frame, surface); }
  void plot(PlotMode mode = PlotMode::k2D, SeriesName series = SeriesName::kXts) {
    plotOrbit(surface, p, limits, frame, {mode, series}, dialogs);
  }
  void expectInsideFrame() {
    for (const DrawOp& op : surface.of(DrawOp::kPSet)) {
      EXPECT_GE(op.x1, frame.frameLeft);
      EXPECT_LE(op.x1, frame.frameRight);
      EXPECT_GE(op.y1, frame.frameTop);
      EXPECT_LE(op.y1, frame.frameBottom);
    }
  }
};

// Found by fuzzing: a window wider than DBL_MAX over the frame width overflowed the mapping, sent
// -inf to the surface and then stopped a bounded orbit with a false overflow message.
TEST_F(Extremes, ViewWindowOfEnormousWidth) {
  p.xbl = -1e305;
  p.xtr = 1e305;
  p.ybl = -1e306;
  p.ytr = 1e306;
  plot();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(p.N, 1000);
  EXPECT_EQ(surface.of(DrawOp::kPSet).size(), 1000u);
  expectSound(surface);
  expectInsideFrame();
  // The whole attractor sits in the middle of such a window.
  const DrawOp first = surface.of(DrawOp::kPSet).front();
  EXPECT_NEAR(first.x1, (frame.frameLeft + frame.frameRight) / 2, 1e-6);
  EXPECT_NEAR(first.y1, (frame.frameTop + frame.frameBottom) / 2, 1e-6);

  // The way back from the screen stays finite and lands near the point.
  EXPECT_NEAR(screenToMapX(frame, p, mapToScreenX(frame, p, 1e304)), 1e304, 1e292);
  EXPECT_EQ(screenToMapY(frame, p, frame.frameBottom), p.ybl);

  surface.ops.clear();
  p.N = 1000;
  plot(PlotMode::k1D, SeriesName::kXts);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(surface.of(DrawOp::kPSet).size(), 1000u);
  expectSound(surface);
  expectInsideFrame();

  // Ordinary windows keep the exact order of operations.
  const MapParams d = kDefaultParams;
  EXPECT_EQ(mapToScreenX(frame, d, 1.15),
            frame.frameRight - ((frame.frameRight - frame.frameLeft) * (2 - 1.15)) / 4.0);
}

TEST_F(Extremes, ParametersOfEnormousSizeStopAtTheFirstStep) {
  const Messages stopAt0{overflowMessage(0)};
  for (auto field : {&MapParams::a, &MapParams::b, &MapParams::x0}) {
    for (double value : {1e300, -1e300}) {
      p = kDefaultParams;
      p.*field = value;
      dialogs.messages.clear();
      surface.ops.clear();
      plot();
      EXPECT_EQ(dialogs.messages, stopAt0) << value;
      EXPECT_EQ(p.N, 0);
      EXPECT_TRUE(surface.ops.empty());
    }
  }
  // With the limits at the ends of the double range a = 1e300 takes one step, then overflows.
  limits = {1e308, 1e308, -1e308, -1e308};
  p = kDefaultParams;
  p.a = 1e300;
  dialogs.messages.clear();
  plot();
  EXPECT_EQ(dialogs.messages, (Messages{overflowMessage(1)}));
  EXPECT_EQ(p.N, 1);
}

TEST_F(Extremes, CutOffLimitsAtTheEndsOfTheRangeAndInverted) {
  limits = {1e308, 1e308, -1e308, -1e308};
  plot();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(surface.of(DrawOp::kPSet).size(), 1000u);

  // A maximum below its minimum leaves no point inside: the orbit stops at once.
  limits = {-1000, 1000, 1000, -1000};
  surface.ops.clear();
  plot();
  EXPECT_EQ(dialogs.messages, (Messages{overflowMessage(0)}));
  EXPECT_EQ(p.N, 0);
  EXPECT_TRUE(surface.ops.empty());
}

TEST_F(Extremes, ViewWindowATrillionthWide) {
  // Around the attractor's fixed point x = y/0.3, x = 1 - 1.4x^2 + 0.3x.
  const double fx = (-0.7 + std::sqrt(0.49 + 5.6)) / 2.8;
  p.xbl = fx - 0.5e-12;
  p.xtr = fx + 0.5e-12;
  p.ybl = 0.3 * fx - 0.5e-12;
  p.ytr = 0.3 * fx + 0.5e-12;
  p.x0 = fx;
  p.y0 = 0.3 * fx;
  p.N = 100000;
  plot();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_FALSE(surface.of(DrawOp::kPSet).empty());
  expectSound(surface);
  expectInsideFrame();

  surface.ops.clear();
  plotAxes2D(surface, frame, p);
  // Twelve decimals tell the bounds of each axis apart, eleven do not.
  for (const char* bound : {"0.631354477089", "0.631354477090", "0.189406343126", "0.189406343127"})
    EXPECT_NE(surface.printed(bound), nullptr) << bound;
  EXPECT_EQ(surface.of(DrawOp::kPrint).size(), 6u);
  expectSound(surface);

  HistoState h;
  h.m = 1000;
  h.maxN = 10;
  collectHisto(h, p);
  EXPECT_LE(std::accumulate(h.xCount.begin(), h.xCount.end(), 0LL), p.N);
  EXPECT_GT(h.xBinWidth, 0);
}

TEST_F(Extremes, LargestNWithAnOrbitThatEscapesEarly) {
  p.N = std::numeric_limits<std::int32_t>::max();
  p.x0 = 10;
  plot();
  EXPECT_EQ(dialogs.messages, (Messages{overflowMessage(1)}));
  EXPECT_EQ(p.N, 1);

  // The counting makes no cut-off test, but once the orbit overflows nothing more can be counted.
  p.N = std::numeric_limits<std::int32_t>::max();
  HistoState h;
  h.m = 10;
  collectHisto(h, p);
  EXPECT_LE(std::accumulate(h.xCount.begin(), h.xCount.end(), 0), 2);

  // Every step of the 1D series with the largest N sits at i/N of the width.
  p = kDefaultParams;
  p.N = std::numeric_limits<std::int32_t>::max();
  p.x0 = 2;
  surface.ops.clear();
  dialogs.messages.clear();
  plot(PlotMode::k1D, SeriesName::kYts);
  EXPECT_EQ(dialogs.messages, (Messages{overflowMessage(3)}));
  expectSound(surface);
}

TEST_F(Extremes, LargestNRunsToItsEnd) {
  // The step counter passes 2^31 - 1 on the last step; it must neither wrap nor loop forever.
  p.N = std::numeric_limits<std::int32_t>::max();
  PlotFrame none;
  plotOrbit(surface, p, limits, none, {PlotMode::k2D}, dialogs);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(p.N, std::numeric_limits<std::int32_t>::max());
}

// Both panels as the histogram command draws them.
void drawBothPanels(DrawingSurface& window, HistoState& h, const MapParams& p) {
  PlotFrame f;
  plotHistoPanels(window, window, measurePanelMetrics(window), f, h, p);
}

// Checks each bar as it arrives: ten million of them would not fit in a recording.
struct BarChecker : RecordingSurface {
  using RecordingSurface::RecordingSurface;
  void BoxMany(std::span<const Box> boxes) override {
    for (const Box& b : boxes) {
      ++bars;
      finite = finite && std::isfinite(b.x1) && std::isfinite(b.y1) && std::isfinite(b.x2) &&
               std::isfinite(b.y2);
      right = std::max(right, std::max(b.x1, b.x2));
    }
  }
  long long bars = 0;
  bool finite = true;
  double right = 0;
};

TEST(ExtremeHistogram, OneBinAndTheLargestNumberOfBins) {
  BarChecker window(12000, 8000);
  PlotFrame f;  // the right panel, drawn last
  setFrameRightPanel(f, measurePanelMetrics(window), window);
  MapParams p = kDefaultParams;
  p.N = 100000;
  for (std::int32_t m : {1, kMaxBins}) {
    HistoState h;
    h.m = m;
    h.maxN = 100000;
    window.bars = 0;
    window.ops.clear();
    drawBothPanels(window, h, p);
    EXPECT_EQ(std::accumulate(h.xCount.begin(), h.xCount.end(), 0), p.N) << m;
    EXPECT_EQ(window.bars, 2LL * m);
    EXPECT_TRUE(window.finite) << m;
    EXPECT_NEAR(window.right, f.frameRight, 1e-6 * f.frameRight) << m;
    expectSound(window);
  }
}

TEST(ExtremeHistogram, EnormousParametersAndStoredRejectedWindows) {
  RecordingSurface window(12000, 8000);
  // Parameters that overflow at once, and windows that readParams refused but kept.
  const MapParams cases[] = {
      {1e300, 0.3, 0.5, 0.5, -2, -1, 2, 1, 1000},
      {1.4, -1e300, 1e300, -1e300, -2, -1, 2, 1, 1000},
      {1.4, 0.3, 0.5, 0.5, -1e308, -1e308, 1e308, 1e308, 1000},
      {1.4, 0.3, 0.5, 0.5, 2, 1, -2, -1, 1000},
      {1.4, 0.3, 0.5, 0.5, -1e305, -1e305, 1e305, 1e305, 1000},
  };
  for (const MapParams& p : cases) {
    HistoState h;
    h.m = 20;
    h.maxN = 2147483647;
    window.ops.clear();
    drawBothPanels(window, h, p);
    EXPECT_LE(std::accumulate(h.yCount.begin(), h.yCount.end(), 0), p.N);
    expectSound(window);
  }
}

TEST(ExtremeLabels, BoundsAndTitlesOfEnormousParameters) {
  RecordingSurface s(10000, 6000), main(10000, 6000);
  PlotFrame f;
  setFrameForm1(f, s);
  const MapParams p{-1e300, 1e300,     -1.7976931348623157e308, 4.9e-324, -1e305, -1e-300, 1e305,
                    1e-300, 2147483647};
  plotAxes2D(s, f, p);
  plotAxes1D(s, f, p, SeriesName::kXts, "Xn", main);
  plotAxes1D(s, f, p, SeriesName::kYts, "Yn", main);
  printTitle(s, f, seriesTitle(p, true));
  printTitle(s, f, seriesTitle(p, false));
  expectSound(s);
  ASSERT_NE(s.printed("a=-1e+300, b=1e+300, x0=-1.79769313486232e+308, n=2147483647"), nullptr);
  // -1e-300 and 1e-300 take the decimals that tell them apart, and no "-0.00".
  const std::string tiny = "0." + std::string(299, '0') + "1";
  ASSERT_NE(s.printed(tiny), nullptr);
  ASSERT_NE(s.printed("-" + tiny), nullptr);
  EXPECT_EQ(s.printed("-0.00"), nullptr);
  // No exponent form, however large.
  EXPECT_EQ(toDouble(formatFixed(1e305, 2)), 1e305);
  EXPECT_EQ(formatFixed(1e305, 2).find('e'), std::string::npos);
}

}  // namespace
}  // namespace henon
