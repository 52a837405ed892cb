// SPDX-License-Identifier: MIT
#include "windows/form2.h"

#include "model/orbit.h"
#include "plot/axes.h"
#include "plot/frames.h"
#include "plot/histo_plot.h"
#include "window_fixture.h"

namespace henon {
namespace {

using Messages = std::vector<std::string>;

TEST_F(Program, TimeSeriesDrawsBothPanelsAndShowsTheWindow) {
  click(form1(), "mnu1Dts");
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(form2().isVisible());
  EXPECT_EQ(form1().plotMode(), PlotMode::k1D);
  EXPECT_EQ(form1().seriesName(), SeriesName::kYts);
  const PanelMetrics& pm = forms.shared.panel;
  EXPECT_DOUBLE_EQ(forms.shared.frame.frameLeft, pm.panelWidth + 2 * pm.panelMargin);
  const QtSurface& s = form2().surface();
  const double bottom = s.ScaleHeight() - pm.panelBottomMargin, top = bottom - pm.panelHeight;
  const double l = pm.panelMargin, r = pm.panelWidth + 2 * pm.panelMargin;
  EXPECT_GT(blackPixels(s, l + 30, top, l + pm.panelWidth, bottom - 30), 300);
  EXPECT_GT(blackPixels(s, r + 30, top, r + pm.panelWidth, bottom - 30), 300);
  // Nothing on the main window.
  EXPECT_EQ(blackPixels(form1().surface(), 0, 0, 1e9, 1e9), 0);
}

TEST_F(Program, TimeSeriesCutOffInBothPanels) {
  setBox(2, "10");
  click(form1(), "mnu1Dts");
  EXPECT_EQ(dialogs.messages,
            (Messages{"An overflow has occured. Only points up to 1 are ploted.",
                      "An overflow has occured. Only points up to 1 are ploted."}));
  EXPECT_TRUE(form2().isVisible());
  EXPECT_EQ(forms.shared.params.N, 1);
}

// A window's surface that lends no raster, so every point is staged.
struct StagedOnly : QtSurface {
  const PointRaster* pointRaster() override { return nullptr; }
};

// Keeps what the time-series window shows at each message.
struct SnapshotDialogs : ScriptedDialogs {
  QtSurface* shown = nullptr;
  std::vector<QImage> shots;
  void MsgBox(const std::string& prompt) override {
    ScriptedDialogs::MsgBox(prompt);
    if (shown) shoot(*shown);
  }
  // The drawing may be held larger than the window.
  void shoot(const QtSurface& s) {
    shots.push_back(s.image().copy(QRect(QPoint(), s.size() * s.devicePixelRatio())));
  }
};
using TimeSeries = ProgramWith<SnapshotDialogs>;

// The command drawn panel after panel, every point staged, as it was before both orbits ran
// in one loop.
SnapshotDialogs oneAtATime(TimeSeries& t, const CutOffLimits& limits, std::int32_t& n) {
  StagedOnly staged;
  staged.setFont(t.form2().surface().font());
  staged.resize(t.form2().surface().size());
  SnapshotDialogs dialogs;
  dialogs.shown = &staged;
  MapParams p;
  EXPECT_TRUE(readParams(t.form1().paramTexts(), p, dialogs));
  PlotFrame left, right;
  setFrameLeftPanel(left, t.forms.shared.panel, staged);
  setFrameRightPanel(right, t.forms.shared.panel, staged);
  const auto axes = [&](const PlotFrame& f, bool x) {
    plotAxes1D(staged, f, p, x ? SeriesName::kXts : SeriesName::kYts, x ? "Xn" : "Yn",
               t.form1().surface());
    printTitle(staged, f, seriesTitle(p, x));
  };
  axes(left, true);
  plotSeriesPanels(staged, p, limits, left, right, dialogs, nullptr, [&] { axes(right, false); });
  dialogs.shoot(staged);
  n = p.N;
  return dialogs;
}

// Both orbits in one loop show what one orbit after the other showed, at each message and at the
// end, with and without an escape in either panel (the suite runs again at device-pixel ratio 2).
TEST_F(TimeSeries, PixelsAsPanelAfterPanel) {
  struct Case {
    const char *xMax, *n;
    std::size_t messages;
  };
  // The left orbit escapes at step 1640 under x = 1.2729 and 1.2728, the right one at 7952 and
  // 1134.
  dialogs.shown = &form2().surface();
  for (const Case& c : {Case{"1000", "200000", 0}, Case{"0.1", "3", 2}, Case{"1.2729", "2000", 1},
                        Case{"1.2728", "1500", 1}, Case{"1.2728", "100000", 2}}) {
    SCOPED_TRACE(std::string(c.xMax) + " " + c.n);
    answer({c.xMax});
    click(form1(), "mnuMaxx");
    setBox(8, c.n);
    setBox(6, "-0.3");
    setBox(7, "0.3");
    CutOffLimits limits;
    limits.escapeXMax = std::stod(c.xMax);
    click(form1(), "mnu1Dts");  // the window shown, at its size
    form2().surface().Cls();
    dialogs.messages.clear();
    dialogs.shots.clear();
    click(form1(), "mnu1Dts");
    dialogs.shoot(form2().surface());
    std::int32_t n = 0;
    const SnapshotDialogs reference = oneAtATime(*this, limits, n);
    EXPECT_EQ(dialogs.messages, reference.messages);
    EXPECT_EQ(forms.shared.params.N, n);
    // At ratio 2 the offscreen screen holds smaller windows, whose orbits escape elsewhere.
    if (form2().surface().devicePixelRatio() == 1) {
      EXPECT_EQ(reference.messages.size(), c.messages);
    }
    EXPECT_TRUE(dialogs.shots == reference.shots);
  }
}

TEST_F(Program, TimeSeriesRefusedParametersShowNothing) {
  setBox(8, "0");
  click(form1(), "mnu1Dts");
  EXPECT_EQ(dialogs.messages, (Messages{"Invalid parameter value"}));
  EXPECT_FALSE(form2().isVisible());
  EXPECT_EQ(form1().seriesName(), SeriesName::kXts);
  EXPECT_EQ(blackPixels(form2().surface(), 0, 0, 1e9, 1e9), 0);
}

TEST_F(Program, TimeSeriesRunsSuperimposeAndSurviveHiding) {
  click(form1(), "mnu1Dts");
  const int first = blackPixels(form2().surface(), 0, 0, 1e9, 1e9);
  click(form2(), "mnuClose");
  EXPECT_FALSE(form2().isVisible());
  EXPECT_EQ(blackPixels(form2().surface(), 0, 0, 1e9, 1e9), first);
  setBox(2, "0.1");
  click(form1(), "mnu1Dts");
  EXPECT_TRUE(form2().isVisible());
  EXPECT_GT(blackPixels(form2().surface(), 0, 0, 1e9, 1e9), first);
}

TEST_F(Program, NavigationBetweenTheWindows) {
  click(form1(), "mnu1Dts");
  form1().hide();
  click(form2(), "mnu2Dts");
  EXPECT_TRUE(form1().isVisible());
  EXPECT_TRUE(form2().isVisible());
  EXPECT_EQ(form1().plotMode(), PlotMode::k2D);

  answer({"4", "10"});
  click(form2(), "mnuHisto");
  ASSERT_TRUE(forms.form3Exists());
  Form3& form3 = forms.form3();
  EXPECT_TRUE(form3.isVisible());
  EXPECT_EQ(form3.windowTitle(), "Histogram");

  click(form3, "mnu1Dts");
  EXPECT_TRUE(form3.isVisible());
  EXPECT_TRUE(form2().isVisible());
  form1().hide();
  click(form3, "mnu2Dts");
  EXPECT_TRUE(form1().isVisible());
  click(form3, "mnuClose");
  EXPECT_FALSE(form3.isVisible());
  EXPECT_TRUE(forms.form3Exists());
}

TEST_F(Program, HistogramOfTheDefaultOrbit) {
  click(form1(), "mnuPlot");
  answer({"20", "200"});
  click(form2(), "mnuHisto");
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(dialogs.titles, (Messages{"Input m", "Enter maximum y"}));
  EXPECT_EQ(form2().histo().m, 20);
  EXPECT_EQ(form2().histo().maxN, 200);
  EXPECT_EQ(form2().histo().histoCoord, HistoCoord::kY);
  // After drawing, both widths are bar widths in window units.
  EXPECT_DOUBLE_EQ(form2().histo().xBinWidth, forms.shared.panel.panelWidth / 20);
  EXPECT_DOUBLE_EQ(form2().histo().yBinWidth, forms.shared.panel.panelWidth / 20);
  const QtSurface& s3 = forms.form3().surface();
  const PanelMetrics& pm = forms.shared.panel;
  const double bottom = s3.ScaleHeight() - pm.panelBottomMargin;
  EXPECT_GT(blackPixels(s3, pm.panelMargin + 20, bottom - pm.panelHeight,
                        pm.panelMargin + pm.panelWidth, bottom - 20),
            100);
}

TEST_F(Program, RejectedHistogramEntriesDrawNothing) {
  answer({"", "10"});  // Cancel on the first prompt still brings the second
  click(form2(), "mnuHisto");
  EXPECT_EQ(dialogs.prompts.size(), 2u);
  EXPECT_EQ(dialogs.messages, (Messages{"Enter a valid number"}));
  EXPECT_FALSE(forms.form3Exists());

  dialogs.messages.clear();
  answer({"4", "0"});
  click(form2(), "mnuHisto");
  EXPECT_EQ(dialogs.messages, (Messages{"Invalid number."}));
  EXPECT_EQ(form2().histo().m, 0);
  EXPECT_FALSE(forms.form3Exists());
}

TEST_F(Program, HistogramAfterARejectedWindowDrawsAxesButNoBars) {
  setBox(4, "1");
  setBox(6, "1");
  click(form1(), "mnuPlot");
  answer({"4", "10"});
  click(form2(), "mnuHisto");
  ASSERT_TRUE(forms.form3Exists());
  EXPECT_TRUE(forms.form3().isVisible());
  const QtSurface& s3 = forms.form3().surface();
  const PanelMetrics& pm = forms.shared.panel;
  const double bottom = s3.ScaleHeight() - pm.panelBottomMargin, top = bottom - pm.panelHeight;
  for (double left : {pm.panelMargin, pm.panelWidth + 2 * pm.panelMargin}) {
    const double right = left + pm.panelWidth;
    EXPECT_GT(blackPixels(s3, left - 30, top, left + 30, bottom), 100) << left;
    EXPECT_GT(blackPixels(s3, left, bottom - 30, right, bottom + 30), 100) << left;
    // Clear of the axes, their ticks and the title: where the bars would stand.
    EXPECT_EQ(blackPixels(s3, left + 50, top + 100, right, bottom - 50), 0) << left;
  }
}

}  // namespace
}  // namespace henon
