// SPDX-License-Identifier: MIT
// Inputs at the edges of what a person can reach, through the windows on the offscreen platform.
#include <QApplication>
#include <QPrinterInfo>
#include <cmath>

#include "model/numeric_text.h"
#include "model/orbit.h"
#include "window_fixture.h"

namespace henon {
namespace {

using Messages = std::vector<std::string>;

struct Extremes : Program {
  void press(float x, float y) { form1().surface().onMouseDown(1, 0, x, y); }
  void drag(float x, float y) { form1().surface().onMouseMove(1, 0, x, y); }
  // No box ever shows nan or inf, whatever was typed or dragged.
  void expectSoundBoxes() {
    for (const std::string& t : form1().paramTexts()) {
      QString lower = QString::fromStdString(t).toLower();
      EXPECT_FALSE(lower.contains("nan") || lower.contains("inf")) << t;
    }
  }
  const PlotFrame& frame() { return forms.shared.frame; }
  const MapParams& params() { return forms.shared.params; }
  int pointsInFrame() {
    const PlotFrame& f = frame();
    return blackPixels(form1().surface(), f.frameLeft + 30, f.frameTop, f.frameRight,
                       f.frameBottom - 30);
  }
};

TEST_F(Extremes, ParametersOfEnormousSize) {
  for (const char* value : {"1e300", "-1e300"}) {
    for (int box : {0, 1, 2}) {
      setBox(box, value);
      dialogs.messages.clear();
      click(form1(), "mnuPlot");
      EXPECT_EQ(dialogs.messages, (Messages{overflowMessage(0)})) << box << " " << value;
      EXPECT_EQ(params().N, 0);
      EXPECT_EQ(pointsInFrame(), 0);
      setBox(box, kDefaultParamTexts[box].c_str());
    }
  }
  // Each panel of the time series reads the boxes again and stops again.
  setBox(0, "-1e300");
  dialogs.messages.clear();
  click(form1(), "mnu1Dts");
  EXPECT_EQ(dialogs.messages, (Messages{overflowMessage(0), overflowMessage(0)}));
  // The histogram then counts the lowered N: nothing, but it still draws its axes.
  answer({"20", "10"});
  click(form2(), "mnuHisto");
  EXPECT_EQ(dialogs.messages.size(), 2u);
  EXPECT_TRUE(forms.form3().isVisible());
  EXPECT_TRUE(std::isfinite(form2().histo().xBinWidth));
  EXPECT_EQ(form1().Text2[0]->text(), "-1e300");
  expectSoundBoxes();

  // A view window wider than the frame's twips can carry in one product still plots the
  // attractor, as a dot in its middle.
  setBox(0, "1.4");
  setBox(4, "-1e305");
  setBox(6, "1e305");
  dialogs.messages.clear();
  click(form1(), "mnuPlot");
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(params().N, 1000);
  EXPECT_GT(pointsInFrame(), 0);
  press(frame().frameLeft, frame().frameTop);
  // The pointer's float position lands a hair outside the corner: still a plain decimal.
  const std::string xbl = form1().Text2[4]->text().toStdString();
  EXPECT_NEAR(toDouble(xbl).value_or(0) / -1e305, 1, 1e-6) << xbl;
  EXPECT_EQ(xbl.find('e'), std::string::npos);
  EXPECT_EQ(xbl.substr(xbl.size() - 5), ".0000");
  expectSoundBoxes();
}

TEST_F(Extremes, CutOffLimitsAtTheEndsOfTheRangeAndInverted) {
  for (auto [item, value] : {std::pair{"mnuMaxx", "1e308"}, std::pair{"mnuMaxy", "1e308"},
                             std::pair{"mnuMinx", "-1e308"}, std::pair{"mnuMiny", "-1e308"}}) {
    answer({value});
    click(form1(), item);
  }
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(form1().limits().escapeXMax, 1e308);
  EXPECT_EQ(form1().limits().escapeYMin, -1e308);
  click(form1(), "mnuPlot");
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(params().N, 1000);

  // Past the double range is no number at all.
  answer({"1e309"});
  click(form1(), "mnuMaxx");
  EXPECT_EQ(dialogs.messages, (Messages{"Invalid number"}));
  EXPECT_EQ(form1().limits().escapeXMax, 1e308);

  // A maximum below the minimum leaves no room: the orbit stops at its first step.
  answer({"-1e308"});
  click(form1(), "mnuMaxx");
  answer({"1e308"});
  click(form1(), "mnuMinx");
  dialogs.messages.clear();
  click(form1(), "mnuPlot");
  EXPECT_EQ(dialogs.messages, (Messages{overflowMessage(0)}));
  EXPECT_EQ(pointsInFrame(), 0);
}

TEST_F(Extremes, DeepZoomByRepeatedDrags) {
  // Around the fixed point of the map, which the attractor passes close to.
  const double fx = (-0.7 + std::sqrt(0.49 + 5.6)) / 2.8, fy = 0.3 * fx;
  click(form1(), "mnuPlot");
  for (int zoom = 0; zoom < 12; ++zoom) {
    const double cx = mapToScreenX(frame(), params(), fx);
    const double cy = mapToScreenY(frame(), params(), fy);
    const double dx = (frame().frameRight - frame().frameLeft) / 20;
    const double dy = (frame().frameBottom - frame().frameTop) / 20;
    press(static_cast<float>(cx - dx), static_cast<float>(cy - dy));
    drag(static_cast<float>(cx + dx), static_cast<float>(cy + dy));
    expectSoundBoxes();
    dialogs.messages.clear();
    click(form1(), "mnuPlot");
    // Tenfold each time, and the boxes keep up: no drag is refused.
    ASSERT_TRUE(form1().paramsValid()) << zoom;
    EXPECT_TRUE(dialogs.messages.empty()) << zoom;
    EXPECT_LT(params().xbl, fx);
    EXPECT_GT(params().xtr, fx);
  }
  EXPECT_NEAR(params().xtr - params().xbl, 4e-12, 1e-14);

  // A typed window a trillionth wide: dragging over the whole frame writes it back.
  setBox(4, "0.6313544770495");
  setBox(6, "0.6313544770505");
  setBox(5, "0.1894063431145");
  setBox(7, "0.1894063431155");
  setBox(8, "100000");
  dialogs.messages.clear();
  click(form1(), "mnuPlot");
  EXPECT_TRUE(form1().paramsValid());
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_NEAR(params().xtr - params().xbl, 1e-12, 1e-15);
  const MapParams typed = params();
  press(frame().frameLeft, frame().frameTop);
  drag(frame().frameRight, frame().frameBottom);
  const ParamTexts t = form1().paramTexts();
  const double pixel = (typed.xtr - typed.xbl) / (frame().frameRight - frame().frameLeft) *
                       form1().surface().twipsPerPixel();
  EXPECT_NEAR(*toDouble(t[4]), typed.xbl, pixel) << t[4];
  EXPECT_NEAR(*toDouble(t[6]), typed.xtr, pixel) << t[6];
  // The window is about as high as it is wide, on fewer pixels.
  EXPECT_NEAR(*toDouble(t[5]), typed.ybl, 2 * pixel) << t[5];
  EXPECT_NEAR(*toDouble(t[7]), typed.ytr, 2 * pixel) << t[7];
  click(form1(), "mnuPlot");
  EXPECT_TRUE(form1().paramsValid());
  EXPECT_TRUE(dialogs.messages.empty());
  expectSoundBoxes();
}

TEST_F(Extremes, LargestNWithAnOrbitThatEscapesEarly) {
  setBox(8, "2147483647");
  setBox(2, "10");
  click(form1(), "mnuPlot");
  EXPECT_EQ(dialogs.messages, (Messages{overflowMessage(1)}));
  EXPECT_EQ(params().N, 1);
  EXPECT_EQ(form1().Text2[8]->text(), "2147483647");  // the box keeps what was typed

  click(form1(), "mnu1Dts");
  EXPECT_EQ(dialogs.messages, (Messages(3, overflowMessage(1))));
  // The histogram counts the lowered N; even the full one would stop at the overflow.
  answer({"20", "10"});
  click(form2(), "mnuHisto");
  EXPECT_EQ(dialogs.messages.size(), 3u);
  EXPECT_EQ(params().N, 1);
  forms.shared.params.N = 2147483647;
  answer({"20", "10"});
  click(form2(), "mnuHisto");

  // One past the 32-bit range is refused.
  setBox(8, "2147483648");
  dialogs.messages.clear();
  click(form1(), "mnuPlot");
  EXPECT_EQ(dialogs.messages, (Messages{"Invalid parameter value"}));
}

TEST_F(Extremes, HistogramWithOneBinAndWithTenMillion) {
  click(form1(), "mnuPlot");
  const PanelMetrics& pm = forms.shared.panel;
  answer({"1", "1000"});
  click(form2(), "mnuHisto");
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(form2().histo().xCount.size(), 2u);
  EXPECT_EQ(form2().histo().xCount[0] + form2().histo().xCount[1], 1000);
  EXPECT_DOUBLE_EQ(form2().histo().xBinWidth, pm.panelWidth);

  answer({"10000000", "5"});
  click(form2(), "mnuHisto");
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(form2().histo().m, 10000000);
  EXPECT_DOUBLE_EQ(form2().histo().yBinWidth, pm.panelWidth / 1e7);
  const QtSurface& s3 = forms.form3().surface();
  const double bottom = s3.ScaleHeight() - pm.panelBottomMargin;
  EXPECT_GT(blackPixels(s3, pm.panelMargin + 20, bottom - pm.panelHeight,
                        pm.panelMargin + pm.panelWidth, bottom - 20),
            0);

  answer({"10000001", "5"});
  click(form2(), "mnuHisto");
  EXPECT_EQ(dialogs.messages, (Messages{"Invalid number."}));
  EXPECT_EQ(form2().histo().m, 0);
}

TEST_F(Extremes, MouseBeforeAnyPlotAndAfterAWindowTooWideForDoubles) {
  press(500, 500);
  drag(3000, 3000);
  form1().surface().onMouseDown(2, 1, 100, 100);
  EXPECT_EQ(form1().paramTexts(), kDefaultParamTexts);

  // Refused, yet stored: the pointer cannot be converted with such bounds and writes nothing.
  setBox(4, "-1e308");
  setBox(6, "1e308");
  click(form1(), "mnuPlot");
  EXPECT_EQ(dialogs.messages, (Messages{"Invalid parameter value"}));
  press(frame().frameLeft + 100, frame().frameTop + 100);
  drag(frame().frameRight, frame().frameBottom);
  EXPECT_EQ(form1().Text2[4]->text(), "-1e308");
  EXPECT_EQ(form1().Text2[6]->text(), "1e308");
  expectSoundBoxes();
}

TEST_F(Extremes, PrintingHiddenWindowsWithoutAPrinter) {
  if (!QPrinterInfo::defaultPrinter().isNull())
    GTEST_SKIP() << "a default printer exists here; printing would send a real job";
  click(form1(), "mnuPlot");
  answer({"10", "100"});
  click(form2(), "mnuHisto");
  forms.form3().hide();
  EXPECT_FALSE(form2().isVisible());
  for (QWidget* w : {static_cast<QWidget*>(&form2()), static_cast<QWidget*>(&forms.form3())}) {
    dialogs.messages.clear();
    click(*w, "mnuPrint");
    EXPECT_EQ(dialogs.messages, (Messages{"Cannot print: device unavailable."}));
    EXPECT_FALSE(w->isVisible());
  }
  form1().hide();
  dialogs.messages.clear();
  click(form1(), "mnuPrint");
  EXPECT_EQ(dialogs.messages, (Messages{"Cannot print: device unavailable."}));
}

TEST_F(Extremes, ResizingTheMainWindowBetweenPlots) {
  click(form1(), "mnuPlot");
  const double firstRight = frame().frameRight;
  for (QSize size : {QSize(500, 400), QSize(1200, 900), QSize(200, 60)}) {
    form1().resize(size);
    QApplication::processEvents();
    const QtSurface& s = form1().surface();
    click(form1(), "mnuPlot");
    EXPECT_DOUBLE_EQ(frame().frameLeft, 0.08 * s.ScaleWidth());
    EXPECT_DOUBLE_EQ(frame().frameRight, 0.87 * s.ScaleWidth() + frame().frameLeft);
    EXPECT_DOUBLE_EQ(frame().frameBottom, 0.95 * s.ScaleHeight());
    EXPECT_DOUBLE_EQ(frame().frameTop, frame().frameBottom - 0.8 * s.ScaleHeight());
    EXPECT_TRUE(dialogs.messages.empty());
    if (size.height() > 100) {
      EXPECT_GT(pointsInFrame(), 0) << size.width();
    }
    // A press in the new frame converts with the new geometry.
    press(frame().frameLeft, frame().frameTop);
    EXPECT_EQ(form1().Text2[4]->text(), "-2.0000");
    EXPECT_EQ(form1().Text2[7]->text(), "1.0000");
    setBox(4, "-2");
    setBox(7, "1");
  }
  EXPECT_NE(frame().frameRight, firstRight);
}

}  // namespace
}  // namespace henon
