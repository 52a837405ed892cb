// SPDX-License-Identifier: MIT
#include "windows/command_gate.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>
#include <chrono>
#include <memory>
#include <thread>

#include "platform/window_system.h"

namespace henon {
namespace {

// Between batches the window system gets through: pings, exposures, repaints of the growing
// picture. Clicks and keys are read too, and kept by the gate until the command has ended: left
// in the window system's queues, they would come after work that other sources brought later.
void letWindowSystemIn() {
  QCoreApplication::processEvents();
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

bool isUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
      return true;
    default:
      return false;
  }
}

// The same input made again later. A pointer event shares its point with the device, which the
// next event from it moves: it is kept as values and made afresh just before it is sent.
std::function<void()> again(const QEvent* event, QObject* receiver) {
  QPointer<QObject> to(receiver);
  if (event->type() == QEvent::Wheel) {
    const auto* e = static_cast<const QWheelEvent*>(event);
    return [to, pos = e->position(), global = e->globalPosition(), pixels = e->pixelDelta(),
            angle = e->angleDelta(), buttons = e->buttons(), mods = e->modifiers(),
            phase = e->phase(), inverted = e->inverted(), time = e->timestamp()] {
      QWheelEvent w(pos, global, pixels, angle, buttons, mods, phase, inverted);
      w.setTimestamp(time);
      if (to) QCoreApplication::sendEvent(to, &w);
    };
  }
  const QEvent::Type t = event->type();
  if (t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease ||
      t == QEvent::MouseButtonDblClick || t == QEvent::MouseMove) {
    const auto* e = static_cast<const QMouseEvent*>(event);
    return [to, type = e->type(), pos = e->position(), scene = e->scenePosition(),
            global = e->globalPosition(), button = e->button(), buttons = e->buttons(),
            mods = e->modifiers(), time = e->timestamp(), device = e->pointingDevice()] {
      QMouseEvent m(type, pos, scene, global, button, buttons, mods, device);
      m.setTimestamp(time);
      if (to) QCoreApplication::sendEvent(to, &m);
    };
  }
  std::shared_ptr<QEvent> copy(event->clone());
  return [to, copy] {
    if (to) QCoreApplication::sendEvent(to, copy.get());
  };
}

}  // namespace

// Clicks and keys as the windows receive them from the window system, before any widget sees
// them: inside a command they are kept, to be sent again to the same window afterwards, where
// they find the widgets, menus and focus that the input before them left. Once the program has
// ended they reach nothing.
class CommandGate::InputHold final : public QObject {
 public:
  explicit InputHold(CommandGate& gate) : gate_(gate) {
    QCoreApplication::instance()->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    if (!isUserInput(event->type())) return false;
    if (gate_.ended_) return true;
    // An input method writes to the focused widget directly; everything else passes the window.
    if (!gate_.holdingInput() ||
        (!receiver->isWindowType() && event->type() != QEvent::InputMethod))
      return false;
    gate_.waiting_.push_back({again(event, receiver), false});
    return true;
  }

 private:
  CommandGate& gate_;
};

CommandGate::CommandGate(Dialogs& boxes, WindowSystem& windowSystem)
    : gated_(*this, boxes),
      windowSystem_(windowSystem),
      inputHold_(std::make_unique<InputHold>(*this)) {}

CommandGate::~CommandGate() = default;

void CommandGate::run(std::function<void()> command) {
  if (ended_) return;
  if (running_) {
    holdInTurn({std::move(command), true});
    return;
  }
  execute(command);
  drainWaiting();
}

void CommandGate::execute(const std::function<void()>& command) {
  running_ = true;
  holdSizes(true);
  pacer_.emplace(letWindowSystemIn, breatheEvery);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  command();
  QApplication::restoreOverrideCursor();
  pacer_.reset();
  holdSizes(false);
  running_ = false;
}

void CommandGate::drainWaiting() {
  if (draining_) return;
  draining_ = true;
  while (!waiting_.empty() && !ended_) {
    Waiting next = std::move(waiting_.front());
    waiting_.pop_front();
    if (next.isCommand)
      execute(next.work);
    else
      next.work();
  }
  draining_ = false;
}

bool CommandGate::keep(std::function<void()> work) {
  if (ended_) return true;
  if (!running_) return false;
  holdInTurn({std::move(work), false});
  return true;
}

void CommandGate::holdInTurn(Waiting work) {
  if (takingIn_) {
    arrivedMeanwhile_.push_back(std::move(work));
    return;
  }
  takeInKeptInput(std::move(work));
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
  arrivedMeanwhile_.clear();
}

void CommandGate::takeInKeptInput(std::optional<Waiting> then) {
  if (!running_) return;
  takingIn_ = true;
  const std::unique_ptr<InputWake> echo = windowSystem_.wakeHeldInput();
  QCoreApplication::processEvents();
  if (echo) {
    // An X server that never answers delays the box by half a second at most.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (!echo->back() && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      QCoreApplication::processEvents();
    }
    // What the binding read along with it.
    QCoreApplication::processEvents();
  }
  takingIn_ = false;
  if (then) waiting_.push_back(std::move(*then));
  for (Waiting& w : arrivedMeanwhile_) waiting_.push_back(std::move(w));
  arrivedMeanwhile_.clear();
}

void CommandGate::GatedDialogs::MsgBox(const std::string& prompt) {
  gate_.takeInKeptInput();
  NormalPointer pointer(gate_.running_);
  ++gate_.boxesOpen_;
  boxes_.MsgBox(prompt);
  --gate_.boxesOpen_;
}

std::string CommandGate::GatedDialogs::InputBox(const std::string& prompt,
                                                const std::string& title) {
  gate_.takeInKeptInput();
  NormalPointer pointer(gate_.running_);
  ++gate_.boxesOpen_;
  std::string answer = boxes_.InputBox(prompt, title);
  --gate_.boxesOpen_;
  return answer;
}

}  // namespace henon
