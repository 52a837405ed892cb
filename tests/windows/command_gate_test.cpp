// SPDX-License-Identifier: MIT
#include "windows/command_gate.h"

#include <QApplication>
#include <QCursor>
#include <QTimer>

#include "window_fixture.h"

namespace henon {
namespace {

// Notes the pointer shape the program asked for whenever a box opens.
struct CursorDialogs : ScriptedDialogs {
  static int shape() {
    const QCursor* c = QApplication::overrideCursor();
    return c ? c->shape() : -1;
  }
  void MsgBox(const std::string& prompt) override {
    shapes.push_back(shape());
    ScriptedDialogs::MsgBox(prompt);
  }
  std::string InputBox(const std::string& prompt, const std::string& title) override {
    shapes.push_back(shape());
    return ScriptedDialogs::InputBox(prompt, title);
  }
  std::vector<int> shapes;
};

struct LongCommands : ProgramWith<CursorDialogs> {
  void SetUp() override {
    ProgramWith::SetUp();
    // Every batch lets the window system in, however fast the machine.
    forms.gate.breatheEvery = Pacer::Clock::duration::zero();
  }
};

TEST_F(LongCommands, BoxesInsideACommandGetTheNormalPointer) {
  form1().Text2[8]->setText("");
  click(form1(), "mnuPlot");
  dialogs.answers.emplace_back("5");
  click(form1(), "mnuMaxx");
  ASSERT_EQ(dialogs.messages.size(), 2u);  // the empty N box
  ASSERT_EQ(dialogs.shapes.size(), 3u);
  for (int s : dialogs.shapes) EXPECT_EQ(s, Qt::ArrowCursor);
  EXPECT_EQ(form1().limits().escapeXMax, 5);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(LongCommands, PictureGrowsWhileEverythingElseWaitsForTheEnd) {
  form1().Text2[8]->setText("200000");
  Form2& form2 = forms.form2();
  form2.show();
  int cursorDuring = -1;
  int drawnDuring = 0;
  bool form2StillShown = false;
  // Timers are not user input: they run between batches, inside the plot.
  QTimer::singleShot(0, [&] {
    cursorDuring = CursorDialogs::shape();
    drawnDuring = blackPixels(form1().surface(), 0, 0, 1e9, 1e9);
    click(form1(), "mnuClear");  // as a screen reader would choose it
    form2.close();
    form2StillShown = form2.isVisible();
  });
  click(form1(), "mnuPlot");
  EXPECT_EQ(cursorDuring, Qt::WaitCursor);
  EXPECT_GT(drawnDuring, 0);
  EXPECT_TRUE(form2StillShown);
  // The plot ran to its end; then Clear, then the close request.
  EXPECT_EQ(forms.shared.params.N, 200000);
  EXPECT_EQ(blackPixels(form1().surface(), 0, 0, 1e9, 1e9), 0);
  EXPECT_FALSE(form2.isVisible());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace henon
