// SPDX-License-Identifier: MIT
#include "windows/form1.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <tuple>

#include "window_fixture.h"

namespace henon {

int blackPixels(const QtSurface& s, double left, double top, double right, double bottom) {
  const QImage& img = s.image();
  const double k = img.devicePixelRatio() / s.twipsPerPixel();
  int n = 0;
  for (int y = std::max(0, int(top * k)); y < std::min(img.height(), int(bottom * k)); ++y)
    for (int x = std::max(0, int(left * k)); x < std::min(img.width(), int(right * k)); ++x)
      n += img.pixel(x, y) == qRgb(0, 0, 0);
  return n;
}

namespace {

using Messages = std::vector<std::string>;

TEST_F(Program, StartsWithTheMainWindowAndItsDefaults) {
  EXPECT_TRUE(form1().isVisible());
  EXPECT_FALSE(form2().isVisible());
  EXPECT_FALSE(forms.form3Exists());
  EXPECT_EQ(form1().windowTitle(), "2D Time Series");
  EXPECT_EQ(form2().windowTitle(), "1D Time Series");
  EXPECT_EQ(form1().paramTexts(), kDefaultParamTexts);
  EXPECT_FALSE(form1().paramsValid());
  EXPECT_EQ(forms.shared.params.N, 0);  // the texts are only texts until a command reads them
  EXPECT_FALSE(forms.shared.frame.hasArea());
  EXPECT_EQ(blackPixels(form1().surface(), 0, 0, 1e9, 1e9), 0);

  // Both windows cover the same rectangle: 10 twips into the work area, which is less 100 by 450.
  const double tpp = screenTwipsPerPixel();
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  for (QWidget* w : {static_cast<QWidget*>(&form1()), static_cast<QWidget*>(&form2())}) {
    EXPECT_EQ(w->frameGeometry().topLeft(),
              area.topLeft() + QPoint(std::lround(10 / tpp), std::lround(10 / tpp)));
    EXPECT_EQ(w->frameGeometry().width(), std::lround((area.width() * tpp - 100) / tpp));
    EXPECT_EQ(w->frameGeometry().height(), std::lround((area.height() * tpp - 450) / tpp));
  }
  // The panel metrics come from the time-series window's client area.
  EXPECT_DOUBLE_EQ(forms.shared.panel.panelWidth, 0.41 * form2().surface().ScaleWidth());
  EXPECT_GT(forms.shared.panel.panelHeight, 0);
}

TEST_F(Program, MainWindowCarriesItsIcon) {
  const QList<QSize> sizes = form1().windowIcon().availableSizes();
  EXPECT_TRUE(sizes.contains(QSize(32, 32))) << sizes.size();
  EXPECT_TRUE(sizes.contains(QSize(16, 16))) << sizes.size();
}

TEST_F(Program, ControlsCarryTheirNamesAndOrder) {
  const char* captions[] = {"a", "b", "x0", "y0", "xbl", "ybl", "xtr", "ytr", "N"};
  const int textLeft[] = {360, 1335, 2310, 3285, 4260, 5235, 6210, 7185, 8160};
  const double tpp = screenTwipsPerPixel();
  for (int i = 0; i < 9; ++i) {
    auto* box = form1().findChild<QLineEdit*>(QString("Text2_%1").arg(i));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->accessibleName(), captions[i]);
    EXPECT_EQ(box->x(), std::lround(textLeft[i] / tpp));
    EXPECT_EQ(box->y(), std::lround(240 / tpp));
    if (i > 0) {
      QWidget* next = form1().Text2[i - 1]->nextInFocusChain();
      while (!(next->focusPolicy() & Qt::TabFocus)) next = next->nextInFocusChain();
      EXPECT_EQ(next, box) << i;
    }
  }
  EXPECT_EQ(form1().findChild<QLabel*>("Label1_7"), nullptr);
  auto* ytr = form1().findChild<QLabel*>("Label1_9");
  ASSERT_NE(ytr, nullptr);
  EXPECT_EQ(ytr->text(), "ytr");
  EXPECT_EQ(ytr->x(), std::lround(7200 / tpp));
  EXPECT_EQ(form1().surface().accessibleName(), "Phase portrait");
  // Nothing is drawn over the picture while the mouse moves on it.
  EXPECT_TRUE(form1().surface().toolTip().isEmpty());

  const std::pair<const char*, const char*> items[] = {
      {"mnuPlot", "2D Time Series"}, {"mnu1Dts", "1D Time Series"}, {"mnuMaxx", "Maxium x"},
      {"mnuMaxy", "Maxium y"},       {"mnuMinx", "Minimun x"},      {"mnuMiny", "Minimun y"},
      {"mnuPrint", "Print"},         {"mnuClear", "Clear"},         {"mnuExit", "Exit"}};
  for (auto [name, caption] : items) {
    auto* a = form1().findChild<QAction*>(name);
    ASSERT_NE(a, nullptr) << name;
    EXPECT_EQ(a->text(), caption);
    EXPECT_TRUE(a->shortcut().isEmpty());
  }
  auto* cutOff = form1().findChild<QMenu*>("mnucutOff");
  ASSERT_NE(cutOff, nullptr);
  EXPECT_EQ(cutOff->title(), "Cut-off");
}

TEST_F(Program, DefaultPhasePortrait) {
  click(form1(), "mnuPlot");
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(form1().paramsValid());
  EXPECT_EQ(form1().plotMode(), PlotMode::k2D);
  const PlotFrame f = forms.shared.frame;
  const QtSurface& s = form1().surface();
  EXPECT_DOUBLE_EQ(f.frameLeft, 0.08 * s.ScaleWidth());
  EXPECT_DOUBLE_EQ(f.frameTop, 0.95 * s.ScaleHeight() - 0.8 * s.ScaleHeight());
  // Points inside the frame, the axes along its edges.
  const int inside = blackPixels(s, f.frameLeft + 30, f.frameTop, f.frameRight, f.frameBottom - 30);
  EXPECT_GT(inside, 100);
  EXPECT_GT(blackPixels(s, 0, f.frameBottom, 1e9, f.frameBottom + 30), 50);

  // A second plot clears the first: a narrower orbit leaves fewer points.
  setBox(8, "10");
  click(form1(), "mnuPlot");
  EXPECT_LT(blackPixels(s, f.frameLeft + 30, f.frameTop, f.frameRight, f.frameBottom - 30), 11);
  EXPECT_EQ(forms.shared.params.N, 10);
}

TEST_F(Program, RejectedParametersLeaveTheWindowCleared) {
  click(form1(), "mnuPlot");
  setBox(3, "");
  click(form1(), "mnuPlot");
  EXPECT_EQ(dialogs.messages,
            (Messages{"Please enter all values", "Please enter valid numerical values."}));
  EXPECT_FALSE(form1().paramsValid());
  EXPECT_EQ(blackPixels(form1().surface(), 0, 0, 1e9, 1e9), 0);

  dialogs.messages.clear();
  setBox(3, "0.5");
  setBox(4, "1");
  setBox(6, "1");
  click(form1(), "mnuPlot");
  EXPECT_EQ(dialogs.messages, (Messages{"Invalid parameter value"}));
  EXPECT_EQ(forms.shared.params.xbl, 1);
  EXPECT_EQ(blackPixels(form1().surface(), 0, 0, 1e9, 1e9), 0);
}

TEST_F(Program, ClearAndExit) {
  click(form1(), "mnuPlot");
  const PlotFrame f = forms.shared.frame;
  click(form1(), "mnuClear");
  EXPECT_EQ(blackPixels(form1().surface(), 0, 0, 1e9, 1e9), 0);
  EXPECT_TRUE(form1().paramsValid());
  EXPECT_EQ(forms.shared.frame.frameLeft, f.frameLeft);

  click(form1(), "mnu1Dts");
  ASSERT_TRUE(form2().isVisible());
  click(form1(), "mnuExit");
  EXPECT_EQ(ended, 1);
  EXPECT_FALSE(form1().isVisible());
  EXPECT_FALSE(form2().isVisible());
}

TEST_F(Program, ClosingTheMainWindowEndsTheProgram) {
  form1().close();
  EXPECT_EQ(ended, 1);
  form2().show();
  form2().close();  // only hides
  EXPECT_EQ(ended, 1);
  EXPECT_FALSE(form2().isVisible());
}

struct Mouse : Program {
  void SetUp() override {
    Program::SetUp();
    forms.shared.params = kDefaultParams;
    forms.shared.frame = PlotFrame{800, 5700, 9500, 5700, 800, 900};
  }
  void press(int button, float x, float y) { form1().surface().onMouseDown(button, 0, x, y); }
  void move(int button, float x, float y) { form1().surface().onMouseMove(button, 0, x, y); }
  QString box(int i) { return form1().Text2[i]->text(); }
};

TEST_F(Mouse, PressAndDragWriteTheViewWindow) {
  press(1, 800, 900);
  EXPECT_EQ(box(4), "-2.0000");
  EXPECT_EQ(box(7), "1.0000");
  move(1, 9500, 5700);
  EXPECT_EQ(box(6), "2.0000");
  EXPECT_EQ(box(5), "-1.0000");
  press(2, 5150, 3300);
  EXPECT_EQ(box(4), "0.0000");
  EXPECT_EQ(box(7), "0.0000");
  press(4, 0, 3300);
  EXPECT_EQ(box(4), "-2.3678");
  // Only the left button alone drags.
  for (int buttons : {0, 2, 3, 4}) move(buttons, 800, 900);
  EXPECT_EQ(box(6), "2.0000");
  EXPECT_EQ(box(5), "-1.0000");
  // The shared bounds, not the boxes, convert: the same drag gives the same texts.
  move(1, 9500, 5700);
  EXPECT_EQ(box(6), "2.0000");

  // A drag along one pixel row or column, from pixel (x1, y1), leaves an empty view: the boxes
  // written at the end read as those written at the press.
  const float tpp = static_cast<float>(form1().surface().twipsPerPixel());
  for (const auto& [x1, y1, x2, y2, end, start] :
       {std::tuple{200, 201, 350, 201, 5, 7}, std::tuple{201, 100, 201, 300, 6, 4}}) {
    press(1, x1 * tpp, y1 * tpp);
    move(1, (x2 + 1.f / 3) * tpp, (y2 + 1.f / 3) * tpp);  // a third of a pixel on: the same pixel
    EXPECT_EQ(box(end).toStdString(), box(start).toStdString());
    dialogs.messages.clear();
    click(form1(), "mnuPlot");
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"Invalid parameter value"}));
    forms.shared.params = kDefaultParams;
    forms.shared.frame = PlotFrame{800, 5700, 9500, 5700, 800, 900};
  }
}

TEST_F(Mouse, PressesOnLabelsAndBoxesStayThere) {
  // Real events, delivered as the window system delivers them, to the surface's children.
  const auto send = [](QWidget* target, QEvent::Type type, Qt::MouseButton button) {
    const QPointF at(2, 2);
    QMouseEvent event(type, at, target->mapToGlobal(at), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button),
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
  };
  form1().show();
  const ParamTexts before = form1().paramTexts();
  for (QWidget* w : {static_cast<QWidget*>(form1().findChild<QLabel*>("Label1_2")),
                     static_cast<QWidget*>(form1().findChild<QLabel*>("Label1_9")),
                     static_cast<QWidget*>(form1().Text2[0])}) {
    send(w, QEvent::MouseButtonPress, Qt::LeftButton);
    send(w, QEvent::MouseMove, Qt::LeftButton);
    send(w, QEvent::MouseButtonRelease, Qt::LeftButton);
    send(w, QEvent::MouseButtonPress, Qt::RightButton);
    send(w, QEvent::MouseButtonRelease, Qt::RightButton);
  }
  EXPECT_EQ(form1().paramTexts(), before);
  // The drawing area itself still answers.
  send(&form1().surface(), QEvent::MouseButtonPress, Qt::LeftButton);
  EXPECT_NE(form1().paramTexts(), before);
}

TEST_F(Mouse, NothingHappensWithoutAFrame) {
  forms.shared.frame = PlotFrame{};
  press(1, 100, 100);
  move(1, 200, 200);
  EXPECT_EQ(form1().paramTexts(), kDefaultParamTexts);
}

TEST_F(Program, CutOffLimits) {
  answer({"5"});
  click(form1(), "mnuMaxx");
  EXPECT_EQ(dialogs.prompts.back(), "Enter maxium value for x, then click OK");
  EXPECT_EQ(dialogs.titles.back(), "Specify Maxium x");
  answer({"-0.5"});
  click(form1(), "mnuMiny");
  EXPECT_EQ(dialogs.titles.back(), "Specify Minimun y");
  EXPECT_EQ(form1().limits().escapeXMax, 5);
  EXPECT_EQ(form1().limits().escapeYMin, -0.5);
  EXPECT_EQ(form1().limits().escapeYMax, 1000);
  EXPECT_EQ(form1().limits().escapeXMin, -1000);
  EXPECT_TRUE(dialogs.messages.empty());

  for (const char* bad : {"", "abc", "1e999"}) {
    answer({bad});
    click(form1(), "mnuMaxy");
    EXPECT_EQ(dialogs.messages.back(), "Invalid number");
  }
  EXPECT_EQ(dialogs.prompts.back(), "Enter maxium value for y, then click OK");
  EXPECT_EQ(form1().limits().escapeYMax, 1000);
  answer({"7"});
  click(form1(), "mnuMinx");
  EXPECT_EQ(dialogs.prompts.back(), "Enter minimun value for x, then click OK");
  EXPECT_EQ(form1().limits().escapeXMin, 7);  // no ordering check

  // The changed limit outlives a parameter read.
  dialogs.messages.clear();
  click(form1(), "mnuPlot");
  EXPECT_EQ(dialogs.messages.at(0), "An overflow has occured. Only points up to 0 are ploted.");
  EXPECT_EQ(form1().limits().escapeXMin, 7);
}

}  // namespace
}  // namespace henon
