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

namespace henon {

FormWindow::FormWindow(const QString& name, double fontPoints, CommandGate& gate,
                       WindowSystem& windowSystem)
    : surface_(new QtSurface(this)), gate_(gate), windowSystem_(windowSystem) {
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

// Sized by the whole screen, a window's bottom, with the x axis and its labels, would lie under a
// panel; without panels the work area is the screen.
QRect FormWindow::workArea() {
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->availableGeometry() : QRect(0, 0, 1920, 1080);
}

void FormWindow::placeTwips(double top, double left, double width, double height) {
  // The position and size are the frame's: the client area is what the decorations leave.
  const QMarginsF frame = windowSystem_.frameExtents(*this);
  placedWithoutFrame_ = frame.isNull();
  const QPoint corner = workArea().topLeft();
  const auto whole = [](double v) { return static_cast<int>(std::lround(v)); };
  setGeometry(corner.x() + whole(twipsToPixels(left) + frame.left()),
              corner.y() + whole(twipsToPixels(top) + frame.top()),
              std::max(1, whole(twipsToPixels(width) - frame.left() - frame.right())),
              std::max(1, whole(twipsToPixels(height) - frame.top() - frame.bottom())));
  // A hidden window lays out its client area only when asked; the panel metrics need it now.
  if (layout()) layout()->activate();
}

void FormWindow::placeAtStart() {
  const QRect area = workArea();
  const double tpp = screenTwipsPerPixel();
  const float width = static_cast<float>(area.width() * tpp) - 100.0f;
  const float height = static_cast<float>(area.height() * tpp) - 450.0f;
  placeTwips(10, 10, width, height);
}

bool FormWindow::checkFrame() {
  if (!placedWithoutFrame_ || !isVisible()) return false;
  const QMarginsF frame = windowSystem_.shownFrameExtents(*this);
  if (frame.isNull()) return false;
  windowSystem_.learnFrameExtents(*this, frame);
  return true;
}

bool FormWindow::placeAgainWithFrame() {
  if (!placedWithoutFrame_) return false;
  placeAtStart();
  return true;
}

void FormWindow::addMenuItem(const char* name, const char* caption, std::function<void()> command) {
  QAction* action = menuBar()->addAction(QString::fromUtf8(caption));
  action->setObjectName(name);
  runOnTrigger(action, std::move(command));
}

void FormWindow::addPrintItem() {
  addMenuItem("mnuPrint", "Print", [this] { printWindow(*this, gate_.dialogs()); });
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
