// SPDX-License-Identifier: MIT
#include "windows/forms.h"

#include "plot/frames.h"
#include "windows/form1.h"
#include "windows/form2.h"
#include "windows/form3.h"

namespace henon {

Forms::Forms(Dialogs& d, std::function<void()> endProgram)
    : gate(d), dialogs(gate), endProgram_(std::move(endProgram)) {}

Forms::~Forms() = default;

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
