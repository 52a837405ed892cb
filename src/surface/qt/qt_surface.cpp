// SPDX-License-Identifier: MIT
#include "surface/qt/qt_surface.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>

namespace henon {

double screenTwipsPerPixel() {
  QScreen* screen = QGuiApplication::primaryScreen();
  double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
  return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

namespace {

constexpr QRgb kBlack = qRgb(0, 0, 0);
// The drawing grows in steps of this many logical pixels, so a window dragged wider by a pixel at
// a time is not copied on every step; it is also the width of a mask word.
constexpr int kGrain = 64;

int mouseButtons(Qt::MouseButtons b) {
  return (b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) |
         (b & Qt::MiddleButton ? 4 : 0);
}

int shiftState(Qt::KeyboardModifiers m) {
  return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
         (m & Qt::AltModifier ? 4 : 0);
}

int roundUp(int n, int grain) {
  return (std::max(n, 1) + grain - 1) / grain * grain;
}

}  // namespace

QtSurface::QtSurface(QWidget* parent)
    : QWidget(parent), twipsPerPixel_(screenTwipsPerPixel()), pixelsPerTwip_(1.0 / twipsPerPixel_) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  cover();
}

QImage QtSurface::newImage(QSize pixels) const {
  QImage image(pixels, QImage::Format_RGB32);
  if (!image.isNull()) image.fill(Qt::white);
  return image;
}

void QtSurface::holdSize(bool hold) {
  if (hold) {
    held_ = Held{width(), height(), devicePixelRatio()};
  } else {
    held_.reset();
    refused_ = QSize();
  }
  cover();
  if (!hold) update();
}

void QtSurface::cover() {
  double ratio = held_ ? held_->ratio : devicePixelRatio();
  if (!(ratio > 0)) ratio = 1;
  const int cols = std::max(cols_, roundUp(held_ ? held_->width : width(), kGrain));
  const int rows = std::max(rows_, roundUp(held_ ? held_->height : height(), kGrain));
  if (ratio == ratio_ && cols == cols_ && rows == rows_) return;

  const QSize pixels(static_cast<int>(std::ceil(cols * ratio)),
                     static_cast<int>(std::ceil(rows * ratio)));
  if (pixels == refused_) return;
  QImage grown = newImage(pixels);
  if (grown.isNull()) {
    refused_ = pixels;
    return;
  }
  refused_ = QSize();
  grown.setDevicePixelRatio(ratio);
  if (!image_.isNull()) {
    QPainter painter(&grown);
    painter.drawImage(QRectF(0, 0, image_.width() / ratio_, image_.height() / ratio_), image_,
                      QRectF(image_.rect()));
  }
  image_ = std::move(grown);
  // The mask starts empty, which is always safe: a rescaled drawing may have grey edges, and a
  // grown one only costs a rewrite of squares already black.
  inked_.assign(static_cast<std::size_t>(cols / kGrain) * rows, 0);
  cols_ = cols;
  rows_ = rows;
  ratio_ = ratio;
  side_ = std::max(1, static_cast<int>(std::lround(ratio)));
  spans_.resize(static_cast<std::size_t>(cols), Span{1, 0});
}

void QtSurface::Cls() {
  cover();
  image_.fill(Qt::white);
  std::fill(inked_.begin(), inked_.end(), 0);
  update();
}

void QtSurface::PSet(double x, double y) {
  const Point p{x, y};
  PSetMany({&p, 1});
}

template <int kSide>
void QtSurface::setPoints(std::span<const Point> points) {
  uchar* bits = image_.bits();
  const qsizetype stride = image_.bytesPerLine();
  std::uint64_t* inked = inked_.data();
  const qsizetype words = cols_ / kGrain;
  const double w = cols_, h = rows_;
  const double scale = pixelsPerTwip_;
  for (const Point& p : points) {
    // Against whole-number bounds, floor(t) >= 0 && floor(t) < w holds exactly when
    // t >= 0 && t < w, and for such t truncation is floor.
    const double px = p.x * scale;
    const double py = p.y * scale;
    if (px >= 0 && py >= 0 && px < w && py < h) {
      const auto x = static_cast<unsigned>(static_cast<int>(px));
      const auto y = static_cast<unsigned>(static_cast<int>(py));
      std::uint64_t& word = inked[y * words + x / kGrain];
      const std::uint64_t bit = std::uint64_t{1} << (x % kGrain);
      // An orbit revisits its pixels; the mask answers for all of a square's device pixels.
      if (word & bit) continue;
      word |= bit;
      if constexpr (kSide == 2) {
        QRgb* top = reinterpret_cast<QRgb*>(bits + 2 * qsizetype{y} * stride) + 2 * x;
        QRgb* below = reinterpret_cast<QRgb*>(reinterpret_cast<uchar*>(top) + stride);
        top[0] = top[1] = below[0] = below[1] = kBlack;
      } else {
        fillCells(int(x), int(x), int(y), int(y));
      }
    }
  }
}

void QtSurface::PSetMany(std::span<const Point> points) {
  cover();
  if (ratio_ == 1) {
    const PointRaster r = raster();
    for (const Point& p : points) r.set<PointRaster::Scale::kOne>(p.x, p.y);
  } else if (ratio_ == 2) {
    // Staged points revisit their squares often enough that reading the small mask beats
    // writing four pixels of the large image every time.
    setPoints<2>(points);
  } else {
    setPoints<0>(points);
  }
  update();
}

PointRaster QtSurface::raster() {
  static_assert(sizeof(QRgb) == sizeof(std::uint32_t));
  return {reinterpret_cast<std::uint32_t*>(image_.bits()),
          image_.bytesPerLine() / qsizetype{sizeof(QRgb)},
          static_cast<double>(cols_),
          static_cast<double>(rows_),
          pixelsPerTwip_,
          kBlack,
          ratio_,
          side_,
          image_.width(),
          image_.height()};
}

const PointRaster* QtSurface::pointRaster() {
  cover();
  raster_ = raster();
  return &raster_;
}

void QtSurface::rasterChanged() {
  update();
}

inline int QtSurface::cell(double twips, int n) const {
  const double t = twips * pixelsPerTwip_;
  if (!(t >= -1)) return -1;
  if (t >= n) return n;
  // Truncation is defined on [-1, n) and is the floor there but on [-1, 0).
  const int i = static_cast<int>(t);
  return i - (t < i);
}

void QtSurface::fillCells(int x1, int x2, int y1, int y2) {
  // The cells as the lent raster lays them, so that runs of them have no gaps at any ratio.
  const auto start = [this](int v) { return static_cast<int>(v * ratio_); };
  const auto end = [&](int v, int limit) {
    return PointRaster::cellEnd(start(v), start(v + 1), side_, limit);
  };
  const int left = start(x1), right = end(x2, image_.width());
  const int top = start(y1), bottom = end(y2, image_.height());
  uchar* bits = image_.bits();
  const qsizetype stride = image_.bytesPerLine();
  for (int y = top; y < bottom; ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(bits + y * stride);
    std::fill(row + left, row + right, kBlack);
  }
}

void QtSurface::Line(double x1, double y1, double x2, double y2, bool box) {
  if (box || x1 == x2 || y1 == y2) {
    // An upright line is a box without width or height.
    const Box b{x1, y1, x2, y2};
    BoxMany({&b, 1});
    return;
  }
  cover();
  if (image_.isNull()) return;
  QPainter painter(&image_);
  const double s = pixelsPerTwip_;
  if (ratio_ == 1) {
    painter.setPen(QPen(Qt::black, 0));
    painter.drawLine(QPointF(x1 * s, y1 * s), QPointF(x2 * s, y2 * s));
  } else {
    // One logical pixel wide, from the centre of the end points' pixels.
    painter.setPen(QPen(Qt::black, 1));
    const auto centre = [s](double v) { return std::floor(v * s) + 0.5; };
    painter.drawLine(QPointF(centre(x1), centre(y1)), QPointF(centre(x2), centre(y2)));
  }
  update();
}

void QtSurface::addSpan(int x, int top, int bottom) {
  Span& s = spans_[static_cast<std::size_t>(x)];
  if (s.top > s.bottom) {
    spanFirst_ = std::min(spanFirst_, x);
    spanLast_ = std::max(spanLast_, x);
  }
  if (!s.grow(top, bottom)) {
    fillCells(x, x, s.top, s.bottom);
    s = {top, bottom};
  }
}

void QtSurface::drawSpans() {
  for (int x = spanFirst_; x <= spanLast_; ++x) {
    Span& s = spans_[static_cast<std::size_t>(x)];
    if (s.top <= s.bottom) fillCells(x, x, s.top, s.bottom);
    s = {1, 0};
  }
  spanFirst_ = INT_MAX;
  spanLast_ = -1;
}

// An outline is its two upright edges plus the top and bottom rows between them. When many boxes
// share a pixel column, what shows there is the union of their upright edges, so those are merged
// per column first and each column is drawn once.
void QtSurface::BoxMany(std::span<const Box> boxes) {
  cover();
  const int lastX = cols_ - 1, lastY = rows_ - 1;
  const double s = pixelsPerTwip_;
  // Boxes narrower than a pixel come many to a column, as histogram bars do: the column the last
  // one fell in is known by its edges, and its span is grown here, in registers, until a box
  // leaves it.
  int column = -1;
  double columnFrom = 1, columnTo = 0;
  Span run{1, 0};
  const auto leaveColumn = [&] {
    if (run.top <= run.bottom) addSpan(column, run.top, run.bottom);
    run = {1, 0};
  };
  for (const Box& b : boxes) {
    if (std::isnan(b.x1) || std::isnan(b.y1) || std::isnan(b.x2) || std::isnan(b.y2)) continue;
    const int top = cell(std::min(b.y1, b.y2), rows_);
    const int bottom = cell(std::max(b.y1, b.y2), rows_);
    const int from = std::max(top, 0), to = std::min(bottom, lastY);
    // As cell() finds it: both edges in one column's [column, column + 1).
    if (std::min(b.x1, b.x2) * s >= columnFrom && std::max(b.x1, b.x2) * s < columnTo) {
      if (from <= to && !run.grow(from, to)) {
        leaveColumn();
        run = {from, to};
      }
      continue;
    }
    leaveColumn();
    const int left = cell(std::min(b.x1, b.x2), cols_);
    const int right = cell(std::max(b.x1, b.x2), cols_);
    if (left == right && left >= 0 && left <= lastX) {
      column = left;
      columnFrom = left;
      columnTo = left + 1.0;
    } else {
      columnFrom = 1, columnTo = 0;
    }
    if (from <= to) {
      if (left >= 0 && left <= lastX) addSpan(left, from, to);
      if (right != left && right >= 0 && right <= lastX) addSpan(right, from, to);
    }
    const int inLeft = std::max(left + 1, 0), inRight = std::min(right - 1, lastX);
    if (inLeft <= inRight) {
      if (top >= 0 && top <= lastY) fillCells(inLeft, inRight, top, top);
      if (bottom != top && bottom >= 0 && bottom <= lastY)
        fillCells(inLeft, inRight, bottom, bottom);
    }
  }
  leaveColumn();
  drawSpans();
  update();
}

void QtSurface::Print(const std::string& text) {
  cover();
  if (image_.isNull()) return;
  QPainter painter(&image_);
  painter.setPen(Qt::black);
  painter.setFont(font());
  const double s = pixelsPerTwip_;
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
  return static_cast<float>((held_ ? held_->width : width()) * twipsPerPixel_);
}
double QtSurface::ScaleHeight() const {
  return static_cast<float>((held_ ? held_->height : height()) * twipsPerPixel_);
}

void QtSurface::resizeEvent(QResizeEvent* event) {
  refused_ = QSize();
  cover();
  QWidget::resizeEvent(event);
}

void QtSurface::paintEvent(QPaintEvent* event) {
  cover();
  QPainter painter(this);
  const QRect r = event->rect();
  const QRect drawn = image_.isNull() ? QRect() : r & QRect(0, 0, cols_, rows_);
  if (!drawn.isEmpty())
    painter.drawImage(QRectF(drawn), image_,
                      QRectF(drawn.x() * ratio_, drawn.y() * ratio_, drawn.width() * ratio_,
                             drawn.height() * ratio_));
  // Past the drawing, in a window grown during a command or beyond what memory allows: white.
  for (const QRect& rest : QRegion(r).subtracted(drawn)) painter.fillRect(rest, Qt::white);
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
