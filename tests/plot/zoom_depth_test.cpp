// SPDX-License-Identifier: MIT
// How deep fivefold drags go into the attractor on a full-HD main window, and what stops them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "model/numeric_text.h"
#include "model/orbit.h"
#include "model/pointer_text.h"
#include "plot/axes.h"
#include "plot/frames.h"
#include "surface/recording_surface.h"

namespace henon {
namespace {

constexpr double kTwipsPerPixel = 15;

// A maximised main window on a 1920 x 1080 screen, in twips: a frame of 1659 x 794 pixels.
struct Depth : ::testing::Test {
  RecordingSurface form1{28600, 14900};
  PlotFrame f;
  MapParams p;
  CutOffLimits limits;
  ScriptedDialogs dialogs;
  ParamTexts texts = {"1.4",         "0.3",        "0.5",        "0.5", "0.43135448",
                      "-0.01059366", "0.83135448", "0.38940634", "1000"};

  void SetUp() override { setFrameForm1(f, form1); }

  // Whole pixels, as the pointer reports them.
  static float onPixel(double twips) {
    return static_cast<float>(std::round(twips / kTwipsPerPixel) * kTwipsPerPixel);
  }
  // The pointer's map position, to far more bits than a double holds.
  long double exactX(float x) const {
    return p.xbl + (static_cast<long double>(x) - f.frameLeft) * (p.xtr - p.xbl) /
                       (static_cast<long double>(f.frameRight) - f.frameLeft);
  }
  long double exactY(float y) const {
    return p.ybl + (static_cast<long double>(f.frameBottom) - y) * (p.ytr - p.ybl) /
                       (static_cast<long double>(f.frameBottom) - f.frameTop);
  }
  static double pixelsOff(const std::string& text, long double exact, double pixel) {
    return static_cast<double>(std::fabs(toDouble(text).value_or(NAN) - exact) / pixel);
  }

  // Drags from 40 % to 60 % of the frame and writes the corners into the texts; returns how far
  // the farthest corner lies from its pointer, in pixels.
  double drag() {
    const double w = f.frameRight - f.frameLeft, h = f.frameBottom - f.frameTop;
    const float x1 = onPixel(f.frameLeft + 0.4 * w), y1 = onPixel(f.frameTop + 0.4 * h);
    const float x2 = onPixel(f.frameLeft + 0.6 * w), y2 = onPixel(f.frameTop + 0.6 * h);
    const auto press = pointerTexts(f, p, kTwipsPerPixel, x1, y1);
    const auto move = pointerTexts(f, p, kTwipsPerPixel, x2, y2,
                                   DragStart{x1, y1, toDouble(press->x), toDouble(press->y)});
    texts[4] = press->x, texts[7] = press->y, texts[6] = move->x, texts[5] = move->y;
    const MapPixel pixel = mapPixel(f, p, kTwipsPerPixel);
    return std::max(
        {pixelsOff(texts[4], exactX(x1), pixel.x), pixelsOff(texts[6], exactX(x2), pixel.x),
         pixelsOff(texts[7], exactY(y1), pixel.y), pixelsOff(texts[5], exactY(y2), pixel.y)});
  }

  // Every position strictly inside the view lands in the frame within a pixel of where it
  // belongs; returns the largest miss in pixels.
  double mappingMiss() const {
    double worst = 0;
    for (int i = 1; i < 1000; ++i) {
      const long double t = i / 1000.0L;
      const double x = static_cast<double>(p.xbl + t * (static_cast<long double>(p.xtr) - p.xbl));
      const double y = static_cast<double>(p.ybl + t * (static_cast<long double>(p.ytr) - p.ybl));
      if (!(p.xbl < x && x < p.xtr && p.ybl < y && y < p.ytr)) continue;
      const long double sx = f.frameLeft + (x - static_cast<long double>(p.xbl)) /
                                               (static_cast<long double>(p.xtr) - p.xbl) *
                                               (f.frameRight - f.frameLeft);
      const long double sy = f.frameBottom - (y - static_cast<long double>(p.ybl)) /
                                                 (static_cast<long double>(p.ytr) - p.ybl) *
                                                 (f.frameBottom - f.frameTop);
      worst = std::max(worst, static_cast<double>(std::fabs(mapToScreenX(f, p, x) - sx)));
      worst = std::max(worst, static_cast<double>(std::fabs(mapToScreenY(f, p, y) - sy)));
    }
    return worst / kTwipsPerPixel;
  }

  bool boundsApart() {
    form1.ops.clear();
    plotAxes2D(form1, f, p);
    const auto prints = form1.of(DrawOp::kPrint);
    // ybl, ytr, xbl, xtr in the order they are printed.
    return prints[0].text != prints[1].text && prints[2].text != prints[3].text;
  }
};

TEST_F(Depth, FivefoldDragsReachTheLimitOfDoublePrecision) {
  ASSERT_TRUE(readParams(texts, p, dialogs));
  // Past the limit the drags go on to a view one double wide, and are never refused.
  int depth = 0;
  bool failed = false;
  // "drag miss": how far the corners that made the view lie from the pointer, in pixels of the
  // view dragged in.
  std::printf("zoom  x width   y width   x pixel   drag miss map miss  x bounds\n");
  for (int zoom = 1; zoom <= 30; ++zoom) {
    const double boxMiss = drag();
    const bool accepted = readParams(texts, p, dialogs);
    const double mapMiss = accepted ? mappingMiss() : 0;
    const bool apart = accepted && boundsApart();
    std::printf("%4d  %.2e  %.2e  %.2e  %5.2f px  %5.2f px  %s .. %s%s%s\n", zoom, p.xtr - p.xbl,
                p.ytr - p.ybl, mapPixel(f, p, kTwipsPerPixel).x, boxMiss, mapMiss, texts[4].c_str(),
                texts[6].c_str(), accepted ? "" : "  refused", apart ? "" : "  bounds alike");
    ASSERT_TRUE(accepted) << zoom;
    failed = failed || boxMiss >= 1 || mapMiss >= 1 || !apart;
    if (!failed) depth = zoom;
    form1.ops.clear();
    plotOrbit(form1, p, limits, f, {}, dialogs);
    EXPECT_TRUE(dialogs.messages.empty()) << zoom;
    for (const DrawOp& op : form1.of(DrawOp::kPSet)) {
      EXPECT_GE(op.x1, f.frameLeft);
      EXPECT_LE(op.x1, f.frameRight);
      EXPECT_GE(op.y1, f.frameTop);
      EXPECT_LE(op.y1, f.frameBottom);
    }
  }
  std::printf("depth %d\n", depth);
  // Near x = 0.63 doubles lie 1.1e-16 apart. The 19th view, 2.1e-14 wide, still shows everything
  // right; its pixels are an eighth of that, so no drag in it can place a corner within a pixel.
  EXPECT_EQ(depth, 19);
}

}  // namespace
}  // namespace henon
