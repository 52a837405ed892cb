// SPDX-License-Identifier: MIT
#include "plot/axes.h"

#include <gtest/gtest.h>

#include "support/recording_surface.h"

namespace henon {
namespace {

// 100 twips a character, 200 a line on the drawn surface; the main window's lines are 180.
struct Axes : ::testing::Test {
  RecordingSurface s{10000, 6000};
  RecordingSurface mainWindow{10000, 6000, 90, 180};
  PlotFrame f{800, 5700, 9500, 5700, 800, 900};
  MapParams p = kDefaultParams;

  void expectText(const std::string& text, double x, double y) {
    const DrawOp* op = s.printed(text);
    ASSERT_NE(op, nullptr) << text;
    EXPECT_DOUBLE_EQ(op->x1, x) << text;
    EXPECT_DOUBLE_EQ(op->y1, y) << text;
  }
};

TEST_F(Axes, PhasePortrait) {
  plotAxes2D(s, f, p);
  expectText("-1.00", 800 - 130 - 500, 5700 - 100);
  expectText("1.00", 800 - 130 - 400, 900 - 100);
  expectText("-2.00", 800 - 250, 5800);
  expectText("2.00", 9500 - 400, 5800);
  expectText("Yn", 800 - 100, 600);
  expectText("Xn", 9650, 5700 - 100);
  auto lines = s.of(DrawOp::kLine);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ((std::array{lines[0].x1, lines[0].y1, lines[0].x2, lines[0].y2}),
            (std::array{800.0, 5700.0, 9500.0, 5700.0}));
  EXPECT_EQ((std::array{lines[1].x1, lines[1].y1, lines[1].x2, lines[1].y2}),
            (std::array{800.0, 5700.0, 800.0, 900.0}));
  EXPECT_EQ(s.of(DrawOp::kPrint).size(), 6u);
}

TEST_F(Axes, TimeSeriesPanelMeasuresHeightsInTheMainWindowFont) {
  plotAxes1D(s, f, p, SeriesName::kYts, "Yn", mainWindow);
  expectText("-1.00", 800 - 50 - 500, 5700 - 180);
  expectText("1.00", 800 - 50 - 400, 900);
  expectText("0", 800, 5760);
  expectText("N", 9500 - 50, 5760);
  expectText("Yn", 700, 600);

  s.ops.clear();
  plotAxes1D(s, f, p, SeriesName::kXts, "Xn", mainWindow);
  expectText("-2.00", 800 - 50 - 500, 5700 - 180);
  expectText("2.00", 800 - 50 - 400, 900);
}

TEST_F(Axes, BoundsAndTitles) {
  p.xtr = 12345.678;
  plotAxes2D(s, f, p);
  expectText("12345.68", 9500 - 800, 5800);

  // A title wider than the frame overhangs both edges equally.
  const std::string wide(100, 'w');
  printTitle(s, f, wide);
  expectText(wide, 800 + (8700 - 10000) / 2.0, 700);
}

TEST_F(Axes, BoundsThatWouldPrintAlikeGetTheDecimalsThatTellThemApart) {
  // A view 4e-5 by 8e-5 wide: each axis takes only the decimals it needs.
  p.xbl = 1.27008, p.xtr = 1.27012, p.ybl = -0.10023, p.ytr = -0.10011;
  plotAxes2D(s, f, p);
  expectText("1.27008", 800 - 350, 5800);
  expectText("1.27012", 9500 - 700, 5800);
  expectText("-0.1002", 800 - 130 - 700, 5700 - 100);
  expectText("-0.1001", 800 - 130 - 700, 900 - 100);

  s.ops.clear();
  plotAxes1D(s, f, p, SeriesName::kXts, "Xn", mainWindow);
  expectText("1.27008", 800 - 50 - 700, 5700 - 180);
  expectText("1.27012", 800 - 50 - 700, 900);

  // An axis whose bounds differ in two decimals keeps them beside one that needs more.
  s.ops.clear();
  p.ybl = -1, p.ytr = 1;
  plotAxes2D(s, f, p);
  expectText("-1.00", 800 - 130 - 500, 5700 - 100);
  expectText("1.27008", 800 - 350, 5800);
}

}  // namespace
}  // namespace henon
