#include "surface/qt/qt_surface.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <cmath>

namespace henon {

double screenTwipsPerPixel() {
  QScreen* screen = QGuiApplication::primaryScreen();
  double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
  return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

namespace {

int mouseButtons(Qt::MouseButtons b) {
  return (b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) |
         (b & Qt::MiddleButton ? 4 : 0);
}

int shiftState(Qt::KeyboardModifiers m) {
  return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
         (m & Qt::AltModifier ? 4 : 0);
}

}  // namespace

QtSurface::QtSurface(QWidget* parent) : QWidget(parent), twipsPerPixel_(screenTwipsPerPixel()) {
  QScreen* screen = QGuiApplication::primaryScreen();
  const double dpr = screen ? screen->devicePixelRatio() : 1.0;
  const QSize logical = screen ? screen->size() : QSize(1920, 1080);
  image_ = QImage(static_cast<int>(std::ceil(logical.width() * dpr)),
                  static_cast<int>(std::ceil(logical.height() * dpr)), QImage::Format_RGB32);
  image_.setDevicePixelRatio(dpr);
  image_.fill(Qt::white);
  deviceScale_ = dpr / twipsPerPixel_;
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
}

void QtSurface::Cls() {
  image_.fill(Qt::white);
  update();
}

void QtSurface::PSet(double x, double y) {
  const Point p{x, y};
  PSetMany({&p, 1});
}

void QtSurface::PSetMany(std::span<const Point> points) {
  uchar* bits = image_.bits();
  const qsizetype stride = image_.bytesPerLine();
  const double w = image_.width(), h = image_.height();
  const double scale = deviceScale_;
  constexpr QRgb kBlack = qRgb(0, 0, 0);
  for (const Point& p : points) {
    // Against whole-number bounds, floor(t) >= 0 && floor(t) < w holds exactly when
    // t >= 0 && t < w, and for such t truncation is floor.
    const double px = p.x * scale;
    const double py = p.y * scale;
    if (px >= 0 && py >= 0 && px < w && py < h) {
      QRgb& pixel =
          reinterpret_cast<QRgb*>(bits + static_cast<qsizetype>(py) * stride)[static_cast<int>(px)];
      // An orbit revisits its pixels; leaving black ones untouched spares the cache a write.
      if (pixel != kBlack) pixel = kBlack;
    }
  }
  update();
}

void QtSurface::Line(double x1, double y1, double x2, double y2, bool box) {
  if (box) {
    const Box b{x1, y1, x2, y2};
    BoxMany({&b, 1});
    return;
  }
  QPainter painter(&image_);
  painter.setPen(QPen(Qt::black, 0));
  const double s = 1.0 / twipsPerPixel_;
  painter.drawLine(QPointF(x1 * s, y1 * s), QPointF(x2 * s, y2 * s));
  update();
}

void QtSurface::BoxMany(std::span<const Box> boxes) {
  QPainter painter(&image_);
  painter.setPen(QPen(Qt::black, 0));
  const double s = 1.0 / twipsPerPixel_;
  for (const Box& b : boxes)
    painter.drawRect(QRectF(QPointF(b.x1 * s, b.y1 * s), QPointF(b.x2 * s, b.y2 * s)).normalized());
  update();
}

void QtSurface::Print(const std::string& text) {
  QPainter painter(&image_);
  painter.setPen(Qt::black);
  painter.setFont(font());
  const double s = 1.0 / twipsPerPixel_;
  const QFontMetricsF fm(font());
  painter.drawText(QPointF(CurrentX * s, CurrentY * s + fm.ascent()), QString::fromStdString(text));
  update();
}

double QtSurface::TextWidth(const std::string& text) const {
  return QFontMetricsF(font()).horizontalAdvance(QString::fromStdString(text)) * twipsPerPixel_;
}

double QtSurface::TextHeight(const std::string&) const {
  return QFontMetricsF(font()).height() * twipsPerPixel_;
}

// Window sizes are single precision; the frames computed from them are double.
double QtSurface::ScaleWidth() const {
  return static_cast<float>(width() * twipsPerPixel_);
}
double QtSurface::ScaleHeight() const {
  return static_cast<float>(height() * twipsPerPixel_);
}

void QtSurface::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect r = event->rect();
  const double dpr = image_.devicePixelRatio();
  painter.drawImage(QRectF(r), image_,
                    QRectF(r.x() * dpr, r.y() * dpr, r.width() * dpr, r.height() * dpr));
}

void QtSurface::mousePressEvent(QMouseEvent* event) {
  // Only the left, right and middle buttons select.
  if (onMouseDown && mouseButtons(event->button()) != 0)
    onMouseDown(mouseButtons(event->button()), shiftState(event->modifiers()),
                static_cast<float>(event->position().x() * twipsPerPixel_),
                static_cast<float>(event->position().y() * twipsPerPixel_));
}

void QtSurface::mouseMoveEvent(QMouseEvent* event) {
  if (onMouseMove)
    onMouseMove(mouseButtons(event->buttons()), shiftState(event->modifiers()),
                static_cast<float>(event->position().x() * twipsPerPixel_),
                static_cast<float>(event->position().y() * twipsPerPixel_));
}

}  // namespace henon
