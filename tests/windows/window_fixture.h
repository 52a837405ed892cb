// SPDX-License-Identifier: MIT
// A started program on the offscreen platform, with scripted dialogs.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>

#include "support/recording_surface.h"
#include "windows/form1.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/forms.h"

namespace henon {

template <class Boxes>
struct ProgramWith : ::testing::Test {
  Boxes dialogs;
  int ended = 0;
  PlainWindowSystem windowSystem;
  Forms forms{dialogs, windowSystem, [this] { ++ended; }};

  void SetUp() override { forms.Main(); }
  Form1& form1() { return forms.form1(); }
  Form2& form2() { return forms.form2(); }

  static void click(QWidget& window, const char* item) {
    auto* action = window.findChild<QAction*>(item);
    ASSERT_NE(action, nullptr) << item;
    action->trigger();
  }
  void setBox(int index, const char* text) { form1().Text2[index]->setText(text); }
  void answer(std::initializer_list<const char*> replies) {
    for (const char* r : replies) dialogs.answers.emplace_back(r);
  }
};
using Program = ProgramWith<ScriptedDialogs>;

// Black pixels of a surface's image inside a rectangle given in twips.
int blackPixels(const QtSurface& s, double left, double top, double right, double bottom);

}  // namespace henon
