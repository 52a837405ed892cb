// SPDX-License-Identifier: MIT
// The histogram window: it only shows what the time-series window draws into it.
#pragma once

#include "windows/form_window.h"

namespace henon {

class Forms;

class Form3 : public FormWindow {
 public:
  explicit Form3(Forms& forms);

 private:
  Forms& forms_;
};

}  // namespace henon
