// SPDX-License-Identifier: MIT
#include "windows/command_gate.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <cstdlib>
#endif

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

#if QT_CONFIG(xcb)
// Sees a message of ours come back from the server: everything the server sent before it has
// been read by then.
class WakeEcho final : public QAbstractNativeEventFilter {
 public:
  WakeEcho(xcb_window_t window, xcb_atom_t type) : window_(window), type_(type) {
    QCoreApplication::instance()->installNativeEventFilter(this);
  }
  ~WakeEcho() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
  WakeEcho(const WakeEcho&) = delete;
  WakeEcho& operator=(const WakeEcho&) = delete;

  bool back() const { return back_; }
  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* e = static_cast<const xcb_generic_event_t*>(message);
    if ((e->response_type & 0x7f) != XCB_CLIENT_MESSAGE) return false;
    const auto* m = static_cast<const xcb_client_message_event_t*>(message);
    if (m->window == window_ && m->type == type_) back_ = true;
    return false;
  }

 private:
  xcb_window_t window_;
  xcb_atom_t type_;
  bool back_ = false;
};
#else
struct WakeEcho {
  bool back() const { return true; }
};
#endif

// Qt's X11 binding keeps the clicks and keys it held back in a queue of their own, which it
// reads again only when the server sends something else: a message to ourselves has it read.
// Empty where there is no X11 window to send it to.
std::unique_ptr<WakeEcho> wakeHeldInput() {
#if QT_CONFIG(xcb)
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* c = x11 ? x11->connection() : nullptr;
  // A window of ours that exists on the server: asking another for its id would create it.
  const QWindowList windows = QGuiApplication::topLevelWindows();
  const auto shown =
      std::find_if(windows.begin(), windows.end(), [](QWindow* w) { return w->handle(); });
  if (!c || shown == windows.end()) return nullptr;
  // A message type the binding passes over in silence.
  static const xcb_atom_t manager = [c] {
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> r(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 7, "MANAGER"), nullptr), &std::free);
    return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
  }();
  xcb_client_message_event_t wake{};
  wake.response_type = XCB_CLIENT_MESSAGE;
  wake.format = 32;
  wake.window = static_cast<xcb_window_t>((*shown)->winId());
  wake.type = manager;
  auto echo = std::make_unique<WakeEcho>(wake.window, wake.type);
  xcb_send_event(c, 0, wake.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&wake));
  xcb_flush(c);
  return echo;
#else
  return nullptr;
#endif
}

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

CommandGate::CommandGate(Dialogs& boxes) : boxes_(boxes) {}

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
  const std::unique_ptr<WakeEcho> echo = wakeHeldInput();
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
