// SPDX-License-Identifier: MIT
#include "windows/command_gate.h"

#include <QApplication>
#include <QCursor>
#include <QWidget>

namespace henon {
namespace {

// Between batches only what keeps the window system content gets through: pings, exposures,
// repaints of the growing picture. Clicks and keys stay queued until the command has ended.
void letWindowSystemIn() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// The normal pointer over a modal box inside a command.
class NormalPointer {
 public:
  explicit NormalPointer(bool busy) : busy_(busy) {
    if (busy_) QApplication::setOverrideCursor(Qt::ArrowCursor);
  }
  ~NormalPointer() {
    if (busy_) QApplication::restoreOverrideCursor();
  }
  NormalPointer(const NormalPointer&) = delete;
  NormalPointer& operator=(const NormalPointer&) = delete;

 private:
  bool busy_;
};

}  // namespace

CommandGate::CommandGate(Dialogs& boxes) : boxes_(boxes) {}

void CommandGate::run(std::function<void()> command) {
  waiting_.push_back({std::move(command), true});
  if (running_) return;
  while (!waiting_.empty()) {
    Waiting next = std::move(waiting_.front());
    waiting_.pop_front();
    if (!next.isCommand) {
      next.work();
      continue;
    }
    running_ = true;
    holdSizes(true);
    pacer_.emplace(letWindowSystemIn, breatheEvery);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    next.work();
    QApplication::restoreOverrideCursor();
    pacer_.reset();
    holdSizes(false);
    running_ = false;
  }
}

bool CommandGate::keep(std::function<void()> work) {
  if (!running_) return false;
  waiting_.push_back({std::move(work), false});
  return true;
}

void CommandGate::runOrKeep(const std::function<void()>& work) {
  if (!keep(work)) work();
}

bool CommandGate::keepClose(QWidget& window) {
  if (!running_) return false;
  return keep([w = QPointer<QWidget>(&window)] {
    if (w) w->close();
  });
}

void CommandGate::holdDuringCommands(QtSurface& surface) {
  // One made inside a command is placed after this and held from the next command on.
  held_.emplace_back(&surface);
}

void CommandGate::holdSizes(bool hold) {
  for (const QPointer<QtSurface>& s : held_)
    if (s) s->holdSize(hold);
}

void CommandGate::MsgBox(const std::string& prompt) {
  NormalPointer pointer(running_);
  boxes_.MsgBox(prompt);
}

std::string CommandGate::InputBox(const std::string& prompt, const std::string& title) {
  NormalPointer pointer(running_);
  return boxes_.InputBox(prompt, title);
}

}  // namespace henon
