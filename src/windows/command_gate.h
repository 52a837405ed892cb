// SPDX-License-Identifier: MIT
// One command at a time, as the user sees it: the wait cursor while a command computes, the
// window system answered meanwhile, and no other command or frame close started inside it.
#pragma once

#include <deque>
#include <functional>
#include <optional>

#include "model/pacer.h"
#include "surface/drawing_surface.h"

class QWidget;

namespace henon {

class CommandGate : public Dialogs {
 public:
  explicit CommandGate(Dialogs& boxes) : boxes_(boxes) {}

  // Runs the command now, or after the one running has ended.
  void run(std::function<void()> command);
  // What a running command hands its long loops; none outside a command.
  Pacer* pacer() { return pacer_ ? &*pacer_ : nullptr; }
  // A close request that arrives inside a command is kept and sent again after it. True when
  // it was kept.
  bool keepClose(QWidget& window);

  // The user's boxes, with the normal pointer over them.
  void MsgBox(const std::string& prompt) override;
  std::string InputBox(const std::string& prompt, const std::string& title) override;

  // How often a running command lets the window system in.
  Pacer::Clock::duration breatheEvery = std::chrono::milliseconds(200);

 private:
  Dialogs& boxes_;
  bool running_ = false;
  std::optional<Pacer> pacer_;
  struct Waiting {
    std::function<void()> work;
    bool isCommand;  // a kept close request is sent again as it is
  };
  std::deque<Waiting> waiting_;
};

}  // namespace henon
