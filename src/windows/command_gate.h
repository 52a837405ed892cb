// SPDX-License-Identifier: MIT
// One command at a time, as the user sees it: the wait cursor while a command computes, the
// window system answered meanwhile, and nothing that arrives inside a command, from a click to a
// resize, changing what it works on.
#pragma once

#include <QObject>
#include <QPointer>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "model/pacer.h"
#include "surface/dialogs.h"
#include "surface/qt/qt_surface.h"

class QWidget;

namespace henon {

class WindowSystem;

class CommandGate : public Dialogs {
 public:
  CommandGate(Dialogs& boxes, WindowSystem& windowSystem);
  ~CommandGate() override;

  // Runs the command now, or after the one running has ended.
  void run(std::function<void()> command);
  bool running() const { return running_; }
  // What a running command hands its long loops; none outside a command.
  Pacer* pacer() { return pacer_ ? &*pacer_ : nullptr; }
  // Work that arrives inside a command waits for its end, in turn with the commands that arrived
  // with it. True when it was kept (or dropped, after the end).
  bool keep(std::function<void()> work);
  // Now, or after the running command.
  void runOrKeep(const std::function<void()>& work);
  // A close request that arrives inside a command is kept and sent again after it. True when
  // it was kept.
  bool keepClose(QWidget& window);
  // The surface reports and draws at one size from the start to the end of every command.
  void holdDuringCommands(QtSurface& surface);
  // The program ends: nothing runs after this, neither what is waiting nor what comes.
  void end();

  // The user's boxes, with the normal pointer over them.
  void MsgBox(const std::string& prompt) override;
  std::string InputBox(const std::string& prompt, const std::string& title) override;

  // How often a running command lets the window system in.
  Pacer::Clock::duration breatheEvery = std::chrono::milliseconds(200);

 private:
  void holdSizes(bool hold);
  // Clicks and keys kept back while the command computed, taken in before a box opens: a modal
  // box would discard those aimed at the windows behind it.
  void takeInKeptInput();

  Dialogs& boxes_;
  WindowSystem& windowSystem_;
  bool running_ = false;
  bool ended_ = false;
  std::optional<Pacer> pacer_;
  struct Waiting {
    std::function<void()> work;
    bool isCommand;  // kept work runs as it is, outside any command
  };
  std::deque<Waiting> waiting_;
  std::vector<QPointer<QtSurface>> held_;
  std::unique_ptr<QObject> inputDrop_;
};

}  // namespace henon
