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
#include "support/recording_surface.h"

namespace henon {
namespace {

constexpr double kTwipsPerPixel = 15;

// The main window as it opens on a 1920 x 1080 screen: a frame of about 1660 x 820 pixels.
struct Depth : ::testing::Test {
  RecordingSurface form1{28695, 15465};
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

  // The farthest the text of any whole-pixel pointer position in the frame lies from it, in pixels.
  double anyPointerMiss() const {
    const MapPixel pixel = mapPixel(f, p, kTwipsPerPixel);
    double worst = 0;
    for (double i = std::ceil(f.frameLeft / kTwipsPerPixel); i * kTwipsPerPixel <= f.frameRight;
         ++i) {
      const float sx = static_cast<float>(i * kTwipsPerPixel);
      const auto t = pointerTexts(f, p, kTwipsPerPixel, sx, f.frameTop);
      worst = std::max(worst, pixelsOff(t->x, exactX(sx), pixel.x));
    }
    for (double i = std::ceil(f.frameTop / kTwipsPerPixel); i * kTwipsPerPixel <= f.frameBottom;
         ++i) {
      const float sy = static_cast<float>(i * kTwipsPerPixel);
      const auto t = pointerTexts(f, p, kTwipsPerPixel, f.frameLeft, sy);
      worst = std::max(worst, pixelsOff(t->y, exactY(sy), pixel.y));
    }
    return worst;
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
  // Zooms before the first failure: of the drags from 40 % to 60 %, and of drags anywhere.
  int depth = 0, depthAnyDrag = 0;
  bool failed = false, failedAnyDrag = false;
  // How far the corners that made each view lie from the pointer, in pixels of the view dragged
  // in: those of the 40 % to 60 % drag, and the worst of any pointer position in that view.
  std::printf("zoom  x width   y width   x pixel   drag miss  any drag  x bounds\n");
  for (int zoom = 1; zoom <= 25; ++zoom) {
    const double anyMiss = anyPointerMiss();
    const double dragMiss = drag();
    // Past the limit the drags go on to a view one double wide, and are never refused.
    ASSERT_TRUE(readParams(texts, p, dialogs)) << zoom;
    const bool apart = boundsApart();
    const double mapMiss = mappingMiss();
    std::printf("%4d  %.2e  %.2e  %.2e  %6.2f px %6.2f px  %s .. %s%s\n", zoom, p.xtr - p.xbl,
                p.ytr - p.ybl, mapPixel(f, p, kTwipsPerPixel).x, dragMiss, anyMiss,
                texts[4].c_str(), texts[6].c_str(), apart ? "" : "  bounds alike");
    failed = failed || dragMiss >= 1 || mapMiss >= 1 || !apart;
    failedAnyDrag = failedAnyDrag || failed || anyMiss >= 1;
    if (!failed) depth = zoom;
    if (!failedAnyDrag) depthAnyDrag = zoom;
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
  std::printf("depth %d, for any drag %d\n", depth, depthAnyDrag);
  // Near x = 0.63 doubles lie 1.1e-16 apart. The 19th view, 2.1e-14 wide, still shows everything
  // right, but its pixels are an eighth of that: a drag in it can miss by four pixels. Drags at
  // exactly 40 % and 60 % of a view a multiple of five doubles wide land close to doubles, and
  // get one zoom further.
  EXPECT_EQ(depthAnyDrag, 19);
  EXPECT_GE(depth, depthAnyDrag);
}

}  // namespace
}  // namespace henon
