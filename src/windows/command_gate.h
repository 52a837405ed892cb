// SPDX-License-Identifier: MIT
// One command at a time, as the user sees it: the wait cursor while a command computes, the
// window system answered meanwhile, and nothing that arrives inside a command, from a click to a
// resize, changing what it works on.
#pragma once

#include <QObject>
#include <QPointer>
#include <chrono>
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

class CommandGate {
 public:
  CommandGate(Dialogs& boxes, WindowSystem& windowSystem);
  ~CommandGate();
  CommandGate(const CommandGate&) = delete;
  CommandGate& operator=(const CommandGate&) = delete;

  // Runs the command now, or after the one running has ended.
  void run(std::function<void()> command);
  bool running() const { return running_; }
  // What a running command hands its long loops; none outside a command.
  Pacer* pacer() { return pacer_ ? &*pacer_ : nullptr; }
  // Work that arrives inside a command waits for its end, in turn with the commands, clicks and
  // keys that arrived with it. True when it was kept (or dropped, after the end).
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

  // The user's boxes, with the normal pointer over them; input made before a box opens waits
  // for the end of the command, input made to the box reaches it.
  Dialogs& dialogs() { return gated_; }

  // How often a running command lets the window system in.
  Pacer::Clock::duration breatheEvery = std::chrono::milliseconds(200);

 private:
  class GatedDialogs final : public Dialogs {
   public:
    GatedDialogs(CommandGate& gate, Dialogs& boxes) : gate_(gate), boxes_(boxes) {}
    void MsgBox(const std::string& prompt) override;
    std::string InputBox(const std::string& prompt, const std::string& title) override;

   private:
    CommandGate& gate_;
    Dialogs& boxes_;
  };
  class InputHold;
  friend class InputHold;
  struct Waiting {
    std::function<void()> work;
    bool isCommand;  // kept work and input run as they are, outside any command
  };

  void execute(const std::function<void()>& command);
  // Runs what waits, in turn; a command that one of them starts runs at its place.
  void drainWaiting();
  // Kept in turn after the clicks and keys the window system sent before it.
  void holdInTurn(Waiting work);
  void holdSizes(bool hold);
  // True while the clicks and keys that arrive are kept for after the command.
  bool holdingInput() const { return running_ && boxesOpen_ == 0; }
  // Has the window system hand over every click and key it was sent so far, so that they are
  // kept in turn: before a box opens (a modal box would discard those aimed at the windows
  // behind it) and before work from another source, then kept after them.
  void takeInKeptInput(std::optional<Waiting> then = std::nullopt);

  GatedDialogs gated_;
  WindowSystem& windowSystem_;
  bool running_ = false;
  bool draining_ = false;
  bool ended_ = false;
  bool takingIn_ = false;
  int boxesOpen_ = 0;
  std::optional<Pacer> pacer_;
  std::deque<Waiting> waiting_;
  // Kept while the input sent before it was taken in: it came after that input.
  std::vector<Waiting> arrivedMeanwhile_;
  std::vector<QPointer<QtSurface>> held_;
  std::unique_ptr<InputHold> inputHold_;
};

}  // namespace henon
