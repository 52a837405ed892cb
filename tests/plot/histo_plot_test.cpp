// SPDX-License-Identifier: MIT
#include "plot/histo_plot.h"

#include <gtest/gtest.h>

#include <cmath>

#include "plot/frames.h"
#include "support/recording_surface.h"

namespace henon {
namespace {

struct HistoPlot : ::testing::Test {
  RecordingSurface s{10000, 6000};
  PlotFrame left{700, 5400, 4800, 5400, 700, 600};
  PlotFrame right{5500, 5400, 9600, 5400, 5500, 600};
  MapParams p = kDefaultParams;
  HistoState h;
  std::int16_t inset = 100;

  void SetUp() override {
    p.N = 10;
    h.m = 4;
    h.maxN = 10;
  }
  std::vector<DrawOp> draw(HistoCoord coord, const PlotFrame& f) {
    s.ops.clear();
    h.histoCoord = coord;
    collectHisto(h, p);
    plotHisto(s, inset, h, p, f);
    setBarWidths(h, p, f);
    return s.of(DrawOp::kBox);
  }
};

TEST_F(HistoPlot, LeftPanelOfTheDefaultOrbit) {
  auto bars = draw(HistoCoord::kX, left);
  ASSERT_EQ(bars.size(), 4u);  // bin m is never drawn
  EXPECT_DOUBLE_EQ(h.xBinWidth, 1025);
  EXPECT_DOUBLE_EQ(bars[1].x1, 1725);
  EXPECT_DOUBLE_EQ(bars[1].y1, 5400 - 2 * 490);  // counts 0, 2, 6, 2
  EXPECT_DOUBLE_EQ(bars[2].y1, 2460);
  EXPECT_DOUBLE_EQ(bars[1].x2, 2750);
  EXPECT_DOUBLE_EQ(bars[1].y2, 5400);
  EXPECT_DOUBLE_EQ(bars[0].y1, 5400);  // an empty bin lies flat on the axis
  EXPECT_DOUBLE_EQ(bars[3].x2, 4800);

  auto lines = s.of(DrawOp::kLine);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ((std::array{lines[2].x1, lines[2].y1, lines[2].x2, lines[2].y2}),
            (std::array{4700.0, 5420.0, 4700.0, 5370.0}));
  EXPECT_EQ((std::array{lines[3].x1, lines[3].y1, lines[3].x2, lines[3].y2}),
            (std::array{680.0, 700.0, 730.0, 700.0}));

  ASSERT_NE(s.printed("a=1.4, b=0.3, x0=0.5, n=10, m=4"), nullptr);
  EXPECT_DOUBLE_EQ(s.printed("-2.00")->x1, 700);
  EXPECT_DOUBLE_EQ(s.printed("-2.00")->y1, 5450);
  EXPECT_DOUBLE_EQ(s.printed("2.00")->x1, 4800 - 100 - 200);
  EXPECT_DOUBLE_EQ(s.printed("0")->x1, 700 - 50 - 100);
  EXPECT_DOUBLE_EQ(s.printed("0")->y1, 5400 - 200);
  // maxN prints with a blank either side, placed by its bare width.
  ASSERT_NE(s.printed(" 10 "), nullptr);
  EXPECT_DOUBLE_EQ(s.printed(" 10 ")->x1, 700 - 200 - 100);
  EXPECT_DOUBLE_EQ(s.printed(" 10 ")->y1, 600 + 100 - 100);
  ASSERT_NE(s.printed("X"), nullptr);
  ASSERT_NE(s.printed("N"), nullptr);
}

TEST_F(HistoPlot, RightPanelAndScale) {
  auto bars = draw(HistoCoord::kY, right);
  ASSERT_EQ(bars.size(), 4u);
  // Counts 0, 2, 8, 0 at (4800 + 100) / 10 per count.
  EXPECT_DOUBLE_EQ(bars[2].y1, 5400 - 8 * 4900 / 10.0);
  EXPECT_DOUBLE_EQ(bars[2].x1, 5500 + 2 * 1025);
  ASSERT_NE(s.printed("a=1.4, b=0.3, y0=0.5, n=10, m=4"), nullptr);
  ASSERT_NE(s.printed("-1.00"), nullptr);
  ASSERT_NE(s.printed("1.00"), nullptr);

  // A count equal to maxN reaches 2 insets above the maxN tick; nothing is clipped.
  h.maxN = 8;
  bars = draw(HistoCoord::kY, right);
  EXPECT_DOUBLE_EQ(bars[2].y1, 600 - 100);
}

TEST_F(HistoPlot, EmptyWindowDrawsNoBars) {
  p.ybl = 2;  // only y inverted: the window as a whole counts nothing
  EXPECT_TRUE(draw(HistoCoord::kX, left).empty());
  EXPECT_EQ(h.xBinWidth, 1025);

  p = MapParams{1.4, 0.3, 0.5, 0.5, 1, -1, 1, 1, 10};
  auto bars = draw(HistoCoord::kX, left);
  EXPECT_TRUE(bars.empty());
  EXPECT_FALSE(std::isnan(h.xBinWidth));
  for (const DrawOp& op : s.ops) {
    EXPECT_TRUE(std::isfinite(op.x1) && std::isfinite(op.y1));
    EXPECT_TRUE(std::isfinite(op.x2) && std::isfinite(op.y2));
  }
}

TEST_F(HistoPlot, NarrowViewsGetTheDecimalsThatTellTheBoundsApart) {
  p.xbl = 1.27008, p.xtr = 1.27012, p.ybl = -0.10023, p.ytr = -0.10011;
  draw(HistoCoord::kX, left);
  ASSERT_NE(s.printed("1.27008"), nullptr);
  EXPECT_DOUBLE_EQ(s.printed("1.27008")->x1, 700);
  ASSERT_NE(s.printed("1.27012"), nullptr);
  EXPECT_DOUBLE_EQ(s.printed("1.27012")->x1, 4800 - 100 - 350);
  EXPECT_DOUBLE_EQ(s.printed("1.27012")->y1, 5450);
  draw(HistoCoord::kY, right);
  ASSERT_NE(s.printed("-0.1002"), nullptr);
  EXPECT_DOUBLE_EQ(s.printed("-0.1001")->x1, 9600 - 100 - 350);
}

// The two panels with a count of their own each, the sequence the single count must reproduce.
void plotPanelsCountingTwice(DrawingSurface& window, const PanelMetrics& pm, PlotFrame& f,
                             HistoState& h, const MapParams& p) {
  std::int16_t inset = 100;
  h.histoCoord = HistoCoord::kX;
  setFrameLeftPanel(f, pm, window);
  collectHisto(h, p);
  plotHisto(window, inset, h, p, f);
  setBarWidths(h, p, f);
  h.histoCoord = HistoCoord::kY;
  setFrameRightPanel(f, pm, window);
  collectHisto(h, p);
  plotHisto(window, inset, h, p, f);
  setBarWidths(h, p, f);
}

TEST(HistoPanels, OneCountDrawsExactlyWhatTwoCountsDrew) {
  struct Case {
    MapParams p;
    std::int32_t m, maxN;
  };
  const Case cases[] = {
      {{1.4, 0.3, 0.5, 0.5, -2, -1, 2, 1, 100000}, 100, 5000},
      {{1.4, 0.3, 0.5, 0.5, -2, -1, 2, 1, 1000}, 1, 1000},
      {{1.4, 0.3, 0.5, 0.5, -2, -1, 2, 1, 1000}, 7, 3},                // bars above the frame
      {{1.4, 0.3, 0.5, 0.5, -1.1, -0.05, 0.3, 0.2, 20000}, 333, 200},  // values out of the bins
      {{1.4, 0.3, 10, 0.5, -2, -1, 2, 1, 1000}, 20, 10},               // an orbit that escapes
      {{1.4, 0.3, 0.5, 0.5, 2, 1, -2, -1, 1000}, 20, 10},              // a rejected window
      {{1.4, 0.3, 0.5, 0.5, 1.27008, -0.10023, 1.27012, -0.10011, 50000}, 40, 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("m = " + std::to_string(c.m) + ", xbl = " + std::to_string(c.p.xbl));
    RecordingSurface once(12000, 8000), twice(12000, 8000);
    const PanelMetrics pm = measurePanelMetrics(once);
    PlotFrame fOnce, fTwice;
    HistoState hOnce, hTwice;
    hOnce.m = hTwice.m = c.m;
    hOnce.maxN = hTwice.maxN = c.maxN;
    plotHistoPanels(once, once, pm, fOnce, hOnce, c.p);
    plotPanelsCountingTwice(twice, pm, fTwice, hTwice, c.p);

    ASSERT_EQ(once.ops.size(), twice.ops.size());
    for (std::size_t i = 0; i < once.ops.size(); ++i) {
      const DrawOp &a = once.ops[i], &b = twice.ops[i];
      EXPECT_TRUE(a.kind == b.kind && a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 &&
                  a.y2 == b.y2 && a.text == b.text)
          << "op " << i;
    }
    // What the command leaves behind matches as well.
    EXPECT_EQ(hOnce.xCount, hTwice.xCount);
    EXPECT_EQ(hOnce.yCount, hTwice.yCount);
    EXPECT_EQ(hOnce.xBinWidth, hTwice.xBinWidth);
    EXPECT_EQ(hOnce.yBinWidth, hTwice.yBinWidth);
    EXPECT_EQ(hOnce.histoCoord, HistoCoord::kY);
    EXPECT_EQ(fOnce.frameLeft, fTwice.frameLeft);
    EXPECT_EQ(fOnce.frameRight, fTwice.frameRight);
  }
}

}  // namespace
}  // namespace henon
