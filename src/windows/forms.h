// SPDX-License-Identifier: MIT
// The three windows, each created on first use and kept until the program ends, and the state
// they share.
#pragma once

#include <functional>
#include <memory>

#include "platform/window_system.h"
#include "plot/module1.h"
#include "surface/dialogs.h"
#include "windows/command_gate.h"

namespace henon {

class Form1;
class Form2;
class Form3;

class Forms {
 public:
  // endProgram runs on Exit: it must end the program at once.
  Forms(Dialogs& dialogs, WindowSystem& windowSystem, std::function<void()> endProgram);
  ~Forms();
  Forms(const Forms&) = delete;
  Forms& operator=(const Forms&) = delete;

  // Start-up: the time-series window sized and measured while hidden, then the main window.
  void Main();

  Form1& form1();
  Form2& form2();
  Form3& form3();
  bool form3Exists() const { return form3_ != nullptr; }
  void End();
  // The "2D Time Series" item of the other windows.
  void plotAndShowMain();

  WindowSystem& windowSystem;
  CommandGate gate;
  // Module1's variables: every window reads and writes them within one command, as the windows
  // call one another directly.
  Module1 shared;
  Dialogs& dialogs;  // the user's boxes, through the gate

 private:
  // One of the windows may wear another frame now.
  void frameMayHaveChanged(QWidget& window);
  // A window's frame became known only once it was shown.
  void frameLearned();

  std::function<void()> endProgram_;
  std::unique_ptr<Form2> form2_;
  std::unique_ptr<Form1> form1_;
  std::unique_ptr<Form3> form3_;
};

}  // namespace henon
