// SPDX-License-Identifier: MIT
// What the windows need from the window system beyond what Qt says the same way everywhere: the
// frame a window manager puts round a window and when it becomes known, and the reading of the
// clicks and keys the window system holds back during a command. Chosen once, at start-up.
#pragma once

#include <QMargins>
#include <QMarginsF>
#include <functional>
#include <memory>
#include <optional>

class QObject;
class QWidget;

namespace henon {

// A message of ours on its way through the window system: back once everything the window
// system sent before it has been read.
class InputWake {
 public:
  virtual ~InputWake() = default;
  virtual bool back() const = 0;
};

class WindowSystem {
 public:
  WindowSystem();
  virtual ~WindowSystem();
  WindowSystem(const WindowSystem&) = delete;
  WindowSystem& operator=(const WindowSystem&) = delete;

  // Left, top, right and bottom frame widths in the window's logical pixels, for a window about
  // to be placed; none without a window manager, or where the window system cannot tell before
  // the window is shown and no shown window has told yet.
  QMarginsF frameExtents(QWidget& window);
  // The frame round a shown window as it is now, in logical pixels; none while it has none.
  virtual QMarginsF shownFrameExtents(QWidget& window) = 0;
  // What frameExtents answers from now on, for every window.
  void learnFrameExtents(QWidget& shown, QMarginsF frame);

  // Calls `changed`, from the event loop, whenever a top-level window may have got another
  // frame: it was shown, or a window manager took it into a frame or published its extents.
  // An empty function stops the calls.
  void watchFrames(std::function<void(QWidget&)> changed);

  // Has the clicks and keys the window system holds back read; null where none are held.
  virtual std::unique_ptr<InputWake> wakeHeldInput() = 0;

 protected:
  // The frame every window will wear, in device pixels, as the window system tells it before
  // any is shown; none where it cannot tell.
  virtual std::optional<QMargins> askFrame() = 0;
  // From the event loop, after the window's own handling of the event that told of it.
  void frameMayHaveChanged(QWidget& window);

 private:
  // In device pixels. Every window here wears the same decorations: the first answer serves them
  // all, until a shown window tells better.
  std::optional<QMargins> learned_;
  std::function<void(QWidget&)> changed_;
  std::unique_ptr<QObject> showWatch_;
};

// Toolkits that draw the decorations themselves (on Wayland), and platforms without any, know a
// window's frame once the window exists or is shown.
QMarginsF ownFrame(QWidget& window);

// Every platform but X11: Wayland, offscreen. Nothing tells the frame before a window is shown,
// and the toolkit holds back no input of its own.
class PlainWindowSystem final : public WindowSystem {
 public:
  QMarginsF shownFrameExtents(QWidget& window) override { return ownFrame(window); }
  std::unique_ptr<InputWake> wakeHeldInput() override { return nullptr; }

 protected:
  std::optional<QMargins> askFrame() override { return std::nullopt; }
};

}  // namespace henon
