// SPDX-License-Identifier: MIT
#include "platform/window_system.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

namespace henon {
namespace {

// A top-level window shown: its frame may be known now.
class ShowWatch final : public QObject {
 public:
  explicit ShowWatch(std::function<void(QWidget&)> shown) : shown_(std::move(shown)) {}

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::Show && object->isWidgetType()) {
      auto* w = static_cast<QWidget*>(object);
      // After the window has handled the event itself.
      if (w->isWindow()) QTimer::singleShot(0, w, [this, w] { shown_(*w); });
    }
    return false;
  }

 private:
  std::function<void(QWidget&)> shown_;
};

}  // namespace

WindowSystem::WindowSystem() = default;

WindowSystem::~WindowSystem() = default;

QMarginsF WindowSystem::frameExtents(QWidget& window) {
  window.winId();
  if (!learned_) learned_ = askFrame();
  if (learned_) return QMarginsF(*learned_) / window.devicePixelRatioF();
  return ownFrame(window);
}

void WindowSystem::learnFrameExtents(QWidget& shown, QMarginsF frame) {
  learned_ = (frame * shown.devicePixelRatioF()).toMargins();
}

void WindowSystem::watchFrames(std::function<void(QWidget&)> changed) {
  changed_ = std::move(changed);
  if (changed_ && !showWatch_) {
    showWatch_ = std::make_unique<ShowWatch>([this](QWidget& w) { frameMayHaveChanged(w); });
    QCoreApplication::instance()->installEventFilter(showWatch_.get());
  } else if (!changed_) {
    showWatch_.reset();
  }
}

void WindowSystem::frameMayHaveChanged(QWidget& window) {
  if (changed_) changed_(window);
}

QMarginsF ownFrame(QWidget& window) {
  const QRect frame = window.frameGeometry();
  const QRect client = window.geometry();
  return QMarginsF(client.left() - frame.left(), client.top() - frame.top(),
                   frame.right() - client.right(), frame.bottom() - client.bottom());
}

}  // namespace henon
