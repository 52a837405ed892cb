// SPDX-License-Identifier: MIT
#include "platform/window_system.h"

#include <gtest/gtest.h>

#include <QApplication>

#include "window_fixture.h"

namespace henon {
namespace {

const QMargins kFrame(4, 24, 4, 6);

// Tells the frame before any window is shown, or, as a window manager started late does, none
// until it has taken a shown window in.
class TellingWindowSystem final : public WindowSystem {
 public:
  explicit TellingWindowSystem(QMargins beforeShown) : beforeShown_(beforeShown) {}
  QMarginsF shownFrameExtents(QWidget& w) override {
    return managed ? QMarginsF(kFrame) / w.devicePixelRatioF() : QMarginsF();
  }
  std::unique_ptr<InputWake> wakeHeldInput() override { return nullptr; }
  void tell(QWidget& w) { frameMayHaveChanged(w); }

  bool managed = false;
  int asked = 0;

 protected:
  std::optional<QMargins> askFrame() override {
    ++asked;
    return beforeShown_;
  }

 private:
  QMargins beforeShown_;
};

// Where the time-series window goes without a frame: it is never shown here, so its geometry is
// the one given.
QRect unframed() {
  ScriptedDialogs dialogs;
  TellingWindowSystem none{QMargins()};
  Forms forms{dialogs, none, [] {}};
  forms.Main();
  QApplication::processEvents();
  return forms.form2().geometry();
}

TEST(WindowSystem, AFrameToldBeforeShowingIsAskedOnceAndLeftOutOfEveryWindow) {
  const QRect outer = unframed();
  ScriptedDialogs dialogs;
  TellingWindowSystem system(kFrame);
  Forms forms{dialogs, system, [] {}};
  forms.Main();
  forms.form3();
  QApplication::processEvents();
  EXPECT_EQ(system.asked, 1);
  EXPECT_EQ(forms.form2().geometry(), outer.marginsRemoved(kFrame));
  EXPECT_EQ(forms.form1().pos(), forms.form2().pos());
}

TEST(WindowSystem, AFrameToldOnlyOnceShownPlacesEveryWindowAgainOnce) {
  const QRect outer = unframed();
  ScriptedDialogs dialogs;
  TellingWindowSystem system{QMargins()};
  Forms forms{dialogs, system, [] {}};
  forms.Main();
  QApplication::processEvents();
  system.managed = true;
  // A window that is none of the program's tells nothing.
  QWidget stranger;
  system.tell(stranger);
  EXPECT_EQ(forms.form2().geometry(), outer);
  system.tell(forms.form1());
  QApplication::processEvents();
  // The hidden time-series window too.
  EXPECT_EQ(forms.form2().geometry(), outer.marginsRemoved(kFrame));
  EXPECT_EQ(forms.form1().pos(), forms.form2().pos());
  const QSize resized = forms.form1().size() + QSize(10, 10);
  forms.form1().resize(resized);
  system.tell(forms.form1());
  QApplication::processEvents();
  EXPECT_EQ(forms.form1().size(), resized);
}

}  // namespace
}  // namespace henon
