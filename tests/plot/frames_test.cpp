// SPDX-License-Identifier: MIT
#include "plot/frames.h"

#include <gtest/gtest.h>

#include "support/recording_surface.h"

namespace henon {
namespace {

void expectFrame(const PlotFrame& f, double left, double right, double bottom, double top) {
  EXPECT_DOUBLE_EQ(f.frameLeft, left);
  EXPECT_DOUBLE_EQ(f.frameRight, right);
  EXPECT_DOUBLE_EQ(f.frameBottom, bottom);
  EXPECT_DOUBLE_EQ(f.frameTop, top);
  EXPECT_EQ(f.xAxisY, f.frameBottom);
  EXPECT_EQ(f.yAxisX, f.frameLeft);
}

TEST(Frames, MainWindow) {
  PlotFrame f;
  EXPECT_FALSE(f.hasArea());  // nothing set before the first picture
  setFrameForm1(f, RecordingSurface(10000, 6000));
  expectFrame(f, 800, 9500, 5700, 900);
  EXPECT_TRUE(f.hasArea());
  setFrameForm1(f, RecordingSurface(0, 0));
  EXPECT_FALSE(f.hasArea());
}

TEST(Frames, PanelsKeepTheirStartUpMetrics) {
  RecordingSurface form2(10000, 6000);
  const PanelMetrics pm = measurePanelMetrics(form2);
  EXPECT_DOUBLE_EQ(pm.panelMargin, 700);
  EXPECT_DOUBLE_EQ(pm.panelWidth, 4100);
  EXPECT_DOUBLE_EQ(pm.panelBottomMargin, 600);
  EXPECT_DOUBLE_EQ(pm.panelHeight, 4800);

  PlotFrame f;
  setFrameLeftPanel(f, pm, form2);
  expectFrame(f, 700, 4800, 5400, 600);
  const PlotFrame before = f;
  setFrameFromPanel(f, pm);
  setFrameFromPanel(f, pm);
  expectFrame(f, before.frameLeft, before.frameRight, before.frameBottom, before.frameTop);
  setFrameRightPanel(f, pm, form2);
  expectFrame(f, 5500, 9600, 5400, 600);

  form2.resize(10000, 5000);
  setFrameLeftPanel(f, pm, form2);
  expectFrame(f, 700, 4800, 4400, -400);
  setFrameRightPanel(f, pm, form2);
  expectFrame(f, 5500, 9600, 4400, -400);
}

}  // namespace
}  // namespace henon
