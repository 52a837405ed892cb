// SPDX-License-Identifier: MIT
#include "windows/form_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <cmath>

#include "surface/qt/qt_printing.h"
#include "windows/frame_extents.h"

namespace henon {

FormWindow::FormWindow(const QString& name, double fontPoints, CommandGate& gate)
    : surface_(new QtSurface(this)), gate_(gate) {
  setObjectName(name);
  QFont f("DejaVu Sans");
  f.setStyleHint(QFont::SansSerif);
  f.setPointSizeF(fontPoints);
  f.setWeight(QFont::Bold);
  setFont(f);
  surface_->setObjectName(name + "_surface");
  setCentralWidget(surface_);
  gate_.holdDuringCommands(*surface_);
  menuBar()->setObjectName(name + "_menu");
  menuBar()->setNativeMenuBar(false);
}

int twipsToPixels(double twips) {
  return static_cast<int>(std::lround(twips / screenTwipsPerPixel()));
}

void FormWindow::showInFront() {
  show();
  raise();
  activateWindow();
}

void FormWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
}

PrintResult FormWindow::PrintForm() {
  return printWidget(*surface_, surface_->image(), windowTitle());
}

double FormWindow::screenWidthTwips() {
  QScreen* s = QGuiApplication::primaryScreen();
  return (s ? s->geometry().width() : 1920) * screenTwipsPerPixel();
}

double FormWindow::screenHeightTwips() {
  QScreen* s = QGuiApplication::primaryScreen();
  return (s ? s->geometry().height() : 1080) * screenTwipsPerPixel();
}

void FormWindow::placeTwips(double top, double left, double width, double height) {
  // The position and size are the frame's: the client area is what the decorations leave.
  const QMarginsF frame = frameExtents(*this);
  const auto whole = [](double v) { return static_cast<int>(std::lround(v)); };
  setGeometry(whole(twipsToPixels(left) + frame.left()), whole(twipsToPixels(top) + frame.top()),
              std::max(1, whole(twipsToPixels(width) - frame.left() - frame.right())),
              std::max(1, whole(twipsToPixels(height) - frame.top() - frame.bottom())));
  // A hidden window lays out its client area only when asked; the panel metrics need it now.
  if (layout()) layout()->activate();
}

void FormWindow::placeAtStart() {
  const float width = static_cast<float>(screenWidthTwips()) - 100.0f;
  const float height = static_cast<float>(screenHeightTwips()) - 450.0f;
  placeTwips(10, 10, width, height);
}

void FormWindow::addMenuItem(const char* name, const char* caption, std::function<void()> command) {
  QAction* action = menuBar()->addAction(QString::fromUtf8(caption));
  action->setObjectName(name);
  runOnTrigger(action, std::move(command));
}

void FormWindow::addPrintItem() {
  addMenuItem("mnuPrint", "Print", [this] { printWindow(*this, gate_); });
}

void FormWindow::runOnTrigger(QAction* action, std::function<void()> command) {
  connect(action, &QAction::triggered, this, [this, command] { gate_.run(command); });
}

bool FormWindow::event(QEvent* event) {
  if (event->type() == QEvent::Close && gate_.keepClose(*this)) {
    event->ignore();
    return true;
  }
  return QMainWindow::event(event);
}

}  // namespace henon
