// SPDX-License-Identifier: MIT
// Zooming by dragging over the phase portrait, again and again.
#include <cmath>

#include "model/numeric_text.h"
#include "window_fixture.h"

namespace henon {
namespace {

struct Zoom : Program {
  double tpp() { return form1().surface().twipsPerPixel(); }
  // The pointer rests on whole pixels.
  float onPixel(double twips) { return static_cast<float>(std::round(twips / tpp()) * tpp()); }
  double box(int i) { return toDouble(form1().Text2[i]->text().toStdString()).value_or(NAN); }
  std::string text(int i) { return form1().Text2[i]->text().toStdString(); }
};

// Where the pointer lies in the view the boxes were converted with, computed more exactly.
long double exactX(const PlotFrame& f, const MapParams& p, float x) {
  return p.xbl + (static_cast<long double>(x) - f.frameLeft) * (p.xtr - p.xbl) /
                     (static_cast<long double>(f.frameRight) - f.frameLeft);
}
long double exactY(const PlotFrame& f, const MapParams& p, float y) {
  return p.ybl + (static_cast<long double>(f.frameBottom) - y) * (p.ytr - p.ybl) /
                     (static_cast<long double>(f.frameBottom) - f.frameTop);
}

TEST_F(Zoom, TenSuccessiveFivefoldDragsEachPlotWithoutAMessage) {
  click(form1(), "mnuPlot");
  ASSERT_TRUE(dialogs.messages.empty());
  bool moreThanFourDecimals = false;
  for (int zoom = 1; zoom <= 10; ++zoom) {
    SCOPED_TRACE(zoom);
    const PlotFrame f = forms.shared.frame;
    const MapParams p = forms.shared.params;
    const double width = f.frameRight - f.frameLeft, height = f.frameBottom - f.frameTop;
    const float x1 = onPixel(f.frameLeft + 0.4 * width), y1 = onPixel(f.frameTop + 0.4 * height);
    const float x2 = onPixel(f.frameLeft + 0.6 * width), y2 = onPixel(f.frameTop + 0.6 * height);
    form1().surface().onMouseDown(1, 0, x1, y1);
    form1().surface().onMouseMove(1, 0, (x1 + x2) / 2, (y1 + y2) / 2);
    form1().surface().onMouseMove(1, 0, x2, y2);

    // Each corner within a pixel of the pointer.
    const double pixelX = (p.xtr - p.xbl) / width * tpp();
    const double pixelY = (p.ytr - p.ybl) / height * tpp();
    EXPECT_LT(std::fabs(box(4) - exactX(f, p, x1)), pixelX) << text(4);
    EXPECT_LT(std::fabs(box(6) - exactX(f, p, x2)), pixelX) << text(6);
    EXPECT_LT(std::fabs(box(7) - exactY(f, p, y1)), pixelY) << text(7);
    EXPECT_LT(std::fabs(box(5) - exactY(f, p, y2)), pixelY) << text(5);
    for (int i : {4, 5, 6, 7}) moreThanFourDecimals |= text(i).size() - text(i).find('.') > 5;

    click(form1(), "mnuPlot");
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages.front();
    ASSERT_TRUE(form1().paramsValid());
    const MapParams& q = forms.shared.params;
    EXPECT_NEAR((q.xtr - q.xbl) / (p.xtr - p.xbl), 0.2, 3 * tpp() / width);
    EXPECT_NEAR((q.ytr - q.ybl) / (p.ytr - p.ybl), 0.2, 3 * tpp() / height);
  }
  // The views end some 4e-7 wide, far past what four decimals hold.
  EXPECT_TRUE(moreThanFourDecimals);
  EXPECT_LT(forms.shared.params.xtr - forms.shared.params.xbl, 1e-6);
}

TEST_F(Zoom, ADragInAViewTwoDoublesWideStillOpensAWindow) {
  // Both ends of the drag map to the same double; the way the pointer went tells them apart.
  setBox(4, "0.6314000050150007");
  setBox(6, "0.6314000050150009");
  setBox(5, "0.18940634312685142");
  setBox(7, "0.18940634312685147");
  click(form1(), "mnuPlot");
  ASSERT_TRUE(dialogs.messages.empty());
  const PlotFrame f = forms.shared.frame;
  const double width = f.frameRight - f.frameLeft, height = f.frameBottom - f.frameTop;
  form1().surface().onMouseDown(1, 0, onPixel(f.frameLeft + 0.4 * width),
                                onPixel(f.frameTop + 0.4 * height));
  form1().surface().onMouseMove(1, 0, onPixel(f.frameLeft + 0.6 * width),
                                onPixel(f.frameTop + 0.6 * height));
  EXPECT_LT(box(4), box(6)) << text(4) << " " << text(6);
  EXPECT_LT(box(5), box(7)) << text(5) << " " << text(7);
  click(form1(), "mnuPlot");
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(form1().paramsValid());
}

}  // namespace
}  // namespace henon
