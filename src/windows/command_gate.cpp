// SPDX-License-Identifier: MIT
#include "windows/command_gate.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <chrono>
#include <memory>
#include <thread>

#include "platform/window_system.h"

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

// Once the program has ended, clicks and keys still queued reach nothing.
class InputDrop : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
      case QEvent::Wheel:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::InputMethod:
      case QEvent::TouchBegin:
      case QEvent::TouchUpdate:
      case QEvent::TouchEnd:
        return true;
      default:
        return false;
    }
  }
};

}  // namespace

CommandGate::CommandGate(Dialogs& boxes, WindowSystem& windowSystem)
    : boxes_(boxes), windowSystem_(windowSystem) {}

CommandGate::~CommandGate() = default;

void CommandGate::run(std::function<void()> command) {
  if (ended_) return;
  waiting_.push_back({std::move(command), true});
  if (running_) return;
  while (!waiting_.empty() && !ended_) {
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
  if (ended_) return true;
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

void CommandGate::end() {
  ended_ = true;
  waiting_.clear();
  if (!inputDrop_) {
    inputDrop_ = std::make_unique<InputDrop>();
    QCoreApplication::instance()->installEventFilter(inputDrop_.get());
  }
}

void CommandGate::takeInKeptInput() {
  if (!running_) return;
  const std::unique_ptr<InputWake> echo = windowSystem_.wakeHeldInput();
  // Commands chosen now wait in turn; edits and presses are kept by their windows.
  QCoreApplication::processEvents();
  if (!echo) return;
  // An X server that never answers delays the box by half a second at most.
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
  while (!echo->back() && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    QCoreApplication::processEvents();
  }
  // What the binding read along with it.
  QCoreApplication::processEvents();
}

void CommandGate::MsgBox(const std::string& prompt) {
  takeInKeptInput();
  NormalPointer pointer(running_);
  boxes_.MsgBox(prompt);
}

std::string CommandGate::InputBox(const std::string& prompt, const std::string& title) {
  takeInKeptInput();
  NormalPointer pointer(running_);
  return boxes_.InputBox(prompt, title);
}

}  // namespace henon
