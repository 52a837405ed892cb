// SPDX-License-Identifier: MIT
// What the three windows have in common: a menu bar over a retained drawing surface, the
// placement at start-up, and printing.
#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>

#include "platform/window_system.h"
#include "plot/print_window.h"
#include "surface/qt/qt_surface.h"
#include "windows/command_gate.h"

class QAction;
class QMenuBar;

namespace henon {

// Whole screen pixels, as window and control geometry takes them.
int twipsToPixels(double twips);

class FormWindow : public QMainWindow, public PrintableWindow {
 public:
  FormWindow(const QString& name, double fontPoints, CommandGate& gate, WindowSystem& windowSystem);

  QtSurface& surface() { return *surface_; }
  const QtSurface& surface() const { return *surface_; }
  PrintResult PrintForm() override;
  void showInFront();

  // Outer position and size in twips, as the windows place themselves; the position counts from
  // the top-left corner of the work area.
  void placeTwips(double top, double left, double width, double height);
  // The part of the screen that the desktop's panels leave to windows, in logical pixels.
  static QRect workArea();

  // Looks at the frame the window has now. True when the window, shown, turned out to wear a
  // frame that its placement did not allow for (a window manager started late or one that
  // publishes no extents, decorations that the toolkit draws); the frame is then known for
  // every window placed after.
  bool checkFrame();
  // Places the window at its start-up place and size again, once, if it was placed without the
  // frame it wears. True when it did.
  bool placeAgainWithFrame();

 protected:
  // Closing through the frame only hides the window and keeps its drawing, as Close does.
  void closeEvent(QCloseEvent* event) override;
  // A close request inside a running command waits for its end.
  bool event(QEvent* event) override;
  // Menu items run their commands one at a time, through the gate.
  void addMenuItem(const char* name, const char* caption, std::function<void()> command);
  void runOnTrigger(QAction* action, std::function<void()> command);
  // Every window prints itself the same way.
  void addPrintItem();
  // Top 10, left 10, the work area less 100 across and 450 down.
  void placeAtStart();

 private:
  QtSurface* surface_;
  CommandGate& gate_;
  WindowSystem& windowSystem_;
  bool placedWithoutFrame_ = false;
};

}  // namespace henon
