// SPDX-License-Identifier: MIT
// The time-series window: two panels of series, and the histogram command.
#pragma once

#include "model/histogram.h"
#include "windows/form_window.h"

namespace henon {

class Forms;

class Form2 : public FormWindow {
 public:
  explicit Form2(Forms& forms);

  void sizeLikeMain() { placeAtStart(); }
  void mnuHisto_Click();
  const HistoState& histo() const { return histo_; }

 private:
  Forms& forms_;
  HistoState histo_;
};

}  // namespace henon
