// SPDX-License-Identifier: MIT
#include "windows/forms.h"

#include "plot/frames.h"
#include "windows/form1.h"
#include "windows/form2.h"
#include "windows/form3.h"

namespace henon {

Forms::Forms(Dialogs& d, WindowSystem& system, std::function<void()> endProgram)
    : windowSystem(system),
      gate(d, system),
      dialogs(gate.dialogs()),
      endProgram_(std::move(endProgram)) {
  windowSystem.watchFrames([this](QWidget& w) { frameMayHaveChanged(w); });
}

Forms::~Forms() {
  windowSystem.watchFrames({});
}

void Forms::Main() {
  form2().sizeLikeMain();
  shared.panel = measurePanelMetrics(form2().surface());
  form1().show();
}

Form1& Forms::form1() {
  if (!form1_) form1_ = std::make_unique<Form1>(*this);
  return *form1_;
}

Form2& Forms::form2() {
  if (!form2_) form2_ = std::make_unique<Form2>(*this);
  return *form2_;
}

Form3& Forms::form3() {
  if (!form3_) form3_ = std::make_unique<Form3>(*this);
  return *form3_;
}

void Forms::frameMayHaveChanged(QWidget& window) {
  FormWindow* windows[] = {form1_.get(), form2_.get(), form3_.get()};
  for (FormWindow* w : windows)
    if (w && w == &window && w->checkFrame()) frameLearned();
}

// Every window placed without the frame is placed again, once, after any running command (which
// holds the client sizes it started with, so the panels could not be measured inside it); the
// panels then follow the time-series window's new client area, as they would have had the frame
// been known at start-up.
void Forms::frameLearned() {
  gate.runOrKeep([this] {
    if (form1_) form1_->placeAgainWithFrame();
    if (form3_) form3_->placeAgainWithFrame();
    if (form2_ && form2_->placeAgainWithFrame())
      shared.panel = measurePanelMetrics(form2_->surface());
  });
}

void Forms::plotAndShowMain() {
  form1().mnuPlot_Click();
  form1().showInFront();
}

void Forms::End() {
  gate.end();
  if (form3_) form3_->hide();
  if (form2_) form2_->hide();
  if (form1_) form1_->hide();
  if (endProgram_) endProgram_();
}

}  // namespace henon
