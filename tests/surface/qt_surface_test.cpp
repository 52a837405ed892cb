// SPDX-License-Identifier: MIT
#include "surface/qt/qt_surface.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <cmath>
#include <cstdint>
#include <vector>

#include "model/orbit.h"
#include "plot/frames.h"
#include "support/recording_surface.h"
#include "surface/qt/qt_dialogs.h"
#include "surface/qt/qt_printing.h"

namespace henon {
namespace {

// The suite runs at device-pixel ratios 1, 1.25, 1.5, 1.75 and 2 (QT_SCALE_FACTOR); a logical
// pixel L is drawn from device pixel floor(L * ratio), round(ratio) device pixels wide or up to
// where L + 1 starts, whichever is wider.
struct Device {
  double ratio;
  int side() const { return std::max(1, int(std::lround(ratio))); }
  int start(int logical) const { return int(logical * ratio); }
  int end(int logical) const { return std::max(start(logical) + side(), start(logical + 1)); }
  int width(int logical) const { return end(logical) - start(logical); }
};

Device device(const QtSurface& s) {
  return {s.image().devicePixelRatio()};
}

bool black(const QImage& img, int x, int y) {
  return img.pixel(x, y) == qRgb(0, 0, 0);
}

int blackCount(const QImage& img) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) n += black(img, x, y);
  return n;
}

// Whether the whole device square of logical pixel (x, y) is black.
bool logicalBlack(const QtSurface& s, int x, int y) {
  const Device d = device(s);
  for (int dy = 0; dy < d.width(y); ++dy)
    for (int dx = 0; dx < d.width(x); ++dx)
      if (!black(s.image(), d.start(x) + dx, d.start(y) + dy)) return false;
  return true;
}

// Whether device row y is black from where logical pixel `from` starts to where `to` ends.
bool rowBlack(const QImage& img, int from, int to, int y) {
  const Device d{img.devicePixelRatio()};
  for (int x = d.start(from); x < d.end(to); ++x)
    if (!black(img, x, d.start(y))) return false;
  return true;
}

TEST(QtSurface, PointsCoverOneLogicalPixelAndSurviveHiding) {
  QtSurface s;
  s.resize(400, 300);
  const double tpp = s.twipsPerPixel();
  const Device d = device(s);
  EXPECT_EQ(d.ratio, s.devicePixelRatio());
  s.PSet(10 * tpp, 20 * tpp);
  EXPECT_TRUE(logicalBlack(s, 10, 20));
  const int first = d.width(10) * d.width(20);
  EXPECT_EQ(blackCount(s.image()), first);

  const Point batch[] = {{30 * tpp + 1, 40 * tpp + 1}, {-5, -5}, {1e12, 1e12}, {NAN, 5}};
  s.PSetMany(batch);
  EXPECT_TRUE(logicalBlack(s, 30, 40));
  EXPECT_FALSE(black(s.image(), d.start(32), d.start(40)));
  EXPECT_EQ(blackCount(s.image()), first + d.width(30) * d.width(40));

  s.show();
  s.hide();
  s.resize(50, 50);
  s.show();
  EXPECT_TRUE(logicalBlack(s, 30, 40));
  s.Cls();
  EXPECT_EQ(blackCount(s.image()), 0);
  // A pixel drawn, cleared and drawn again shows again.
  s.PSetMany(batch);
  EXPECT_TRUE(logicalBlack(s, 30, 40));
}

// Where the surface lends the orbit its raster, the picture must not depend on it.
TEST(QtSurface, AnOrbitSetAsItRunsLooksAsItsStagedPoints) {
  QtSurface direct, staged;
  direct.resize(500, 300);
  staged.resize(500, 300);
  ASSERT_NE(direct.pointRaster(), nullptr);  // at every ratio
  PlotFrame frame;
  setFrameForm1(frame, direct);
  RecordingSurface recorder(direct.ScaleWidth(), direct.ScaleHeight());
  ScriptedDialogs dialogs;
  MapParams p = kDefaultParams;
  p.N = 50000;
  plotOrbit(direct, p, CutOffLimits{}, frame, {PlotMode::k2D}, dialogs);
  p.N = 50000;
  plotOrbit(recorder, p, CutOffLimits{}, frame, {PlotMode::k2D}, dialogs);
  std::vector<Point> points;
  for (const DrawOp& op : recorder.of(DrawOp::kPSet)) points.push_back({op.x1, op.y1});
  staged.PSetMany(points);
  EXPECT_GT(blackCount(direct.image()), 1000);
  EXPECT_TRUE(direct.image() == staged.image());
}

// Up to the drawing's last row and column, where a logical pixel may be cut at the image's edge.
TEST(QtSurface, TheLentRasterSetsWhatPointsSet) {
  QtSurface direct, staged;
  direct.resize(130, 70);
  staged.resize(130, 70);
  const PointRaster* raster = direct.pointRaster();
  ASSERT_NE(raster, nullptr);
  const double tpp = direct.twipsPerPixel(), right = raster->cols - 1, bottom = raster->rows - 1;
  const Point points[] = {{0, 0},
                          {right * tpp, bottom * tpp},
                          {(right + 0.99) * tpp, 3 * tpp},
                          {5 * tpp, (bottom + 0.5) * tpp},
                          {(right + 1) * tpp, 0},
                          {0, (bottom + 1) * tpp},
                          {-1, 0},
                          {77.7 * tpp, 33.3 * tpp},
                          // Side by side where, at 1.25, a pixel one device pixel wide left a
                          // gap before the next.
                          {3.5 * tpp, 9 * tpp},
                          {4.5 * tpp, 9 * tpp},
                          {5.5 * tpp, 9 * tpp}};
  for (const Point& p : points) raster->set(p.x, p.y);
  staged.PSetMany(points);
  EXPECT_EQ(blackCount(direct.image()), blackCount(staged.image()));
  EXPECT_TRUE(direct.image() == staged.image());
  EXPECT_TRUE(rowBlack(direct.image(), 3, 5, 9));
}

TEST(QtSurface, MeasuresInTwips) {
  QtSurface s;
  s.resize(400, 300);
  EXPECT_DOUBLE_EQ(s.ScaleWidth(), 400 * s.twipsPerPixel());
  EXPECT_DOUBLE_EQ(s.ScaleHeight(), 300 * s.twipsPerPixel());
  EXPECT_GT(s.TextWidth("Xn"), s.TextWidth("X"));
  EXPECT_GT(s.TextHeight("X"), 0);
  s.CurrentX = 0;
  s.CurrentY = 0;
  s.Print("Xn");
  int inked = 0;
  const Device d = device(s);
  for (int y = 0; y < d.start(40); ++y)
    for (int x = 0; x < d.start(40); ++x) inked += s.image().pixel(x, y) != qRgb(255, 255, 255);
  EXPECT_GT(inked, 5);
}

TEST(QtSurface, LinesAreOneLogicalPixelWide) {
  QtSurface s;
  s.resize(400, 300);
  const double tpp = s.twipsPerPixel();
  const Device d = device(s);
  s.Line(10 * tpp, 100 * tpp + 2, 60 * tpp, 100 * tpp + 2);  // across
  s.Line(200 * tpp, 10 * tpp, 200 * tpp, 20 * tpp);          // down
  for (int x = 10; x <= 60; ++x) EXPECT_TRUE(logicalBlack(s, x, 100)) << x;
  for (int y = 10; y <= 20; ++y) EXPECT_TRUE(logicalBlack(s, 200, y)) << y;
  // Nothing beyond the line's own pixels: one row of 51 and one column of 11 logical pixels.
  const int rowWidth = d.end(60) - d.start(10);
  const int columnHeight = d.end(20) - d.start(10);
  EXPECT_EQ(blackCount(s.image()), d.width(100) * rowWidth + d.width(200) * columnHeight);

  // A slanted line is as wide as an upright one.
  s.Cls();
  s.Line(10 * tpp, 10 * tpp, 110 * tpp, 60 * tpp);
  const int inked = blackCount(s.image());
  EXPECT_GE(inked, 100 * d.ratio * d.ratio * 0.8);
  EXPECT_LE(inked, 101 * d.ratio * d.ratio * 1.6);
}

// Text is drawn at the device's resolution, not drawn at the logical one and enlarged.
TEST(QtSurface, TextUsesEveryDevicePixel) {
  QtSurface s;
  s.resize(400, 300);
  s.CurrentX = 100;
  s.CurrentY = 100;
  s.Print("Hénon 0.25");
  const QImage& img = s.image();
  const Device d = device(s);
  int inked = 0, unlikeNeighbour = 0;
  for (int y = 0; y < d.start(60); ++y)
    for (int x = 0; x + 1 < d.start(200); ++x) {
      const bool dark = qGray(img.pixel(x, y)) < 128;
      inked += dark;
      // Within one logical pixel the device pixels differ only if drawn finer than it.
      unlikeNeighbour += d.start(int(x / d.ratio)) == d.start(int((x + 1) / d.ratio)) &&
                         dark != (qGray(img.pixel(x + 1, y)) < 128);
    }
  EXPECT_GT(inked, 20 * d.ratio * d.ratio);
  if (d.ratio >= 2) {
    EXPECT_GT(unlikeNeighbour, 10);
  }
}

TEST(QtSurface, MouseReportsTwipsAtAnyRatio) {
  QtSurface s;
  s.resize(400, 300);
  std::vector<float> pressed, moved;
  s.onMouseDown = [&](int button, int, float x, float y) { pressed = {float(button), x, y}; };
  s.onMouseMove = [&](int button, int, float x, float y) { moved = {float(button), x, y}; };
  const double tpp = s.twipsPerPixel();
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(33, 44), s.mapToGlobal(QPointF(33, 44)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&s, &press);
  QMouseEvent move(QEvent::MouseMove, QPointF(120.5, 7), s.mapToGlobal(QPointF(120.5, 7)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&s, &move);
  EXPECT_EQ(pressed, (std::vector<float>{1, float(33 * tpp), float(44 * tpp)}));
  EXPECT_EQ(moved, (std::vector<float>{1, float(120.5 * tpp), float(7 * tpp)}));
  // Twips and pixels meet: a point set where the mouse was lands under it.
  s.PSet(pressed[1], pressed[2]);
  EXPECT_TRUE(logicalBlack(s, 33, 44));
}

// The drawing is not bounded by any screen: it follows the window, and keeps what it had.
TEST(QtSurface, DrawingCoversAWindowLargerThanTheScreen) {
  QtSurface s;
  const QSize screen = QGuiApplication::primaryScreen()->size();
  s.resize(300, 200);
  const double tpp = s.twipsPerPixel();
  s.PSet(250 * tpp, 150 * tpp);
  const QSize big = screen + QSize(700, 500);
  s.resize(big);
  s.show();
  // The far corner of the client area is drawn, and shows.
  const int right = big.width() - 1, bottom = big.height() - 1;
  s.PSet((right + 0.5) * tpp, (bottom + 0.5) * tpp);
  s.Line(0, (bottom + 0.5) * tpp, (right + 0.5) * tpp, (bottom + 0.5) * tpp);
  EXPECT_TRUE(logicalBlack(s, right, bottom));
  EXPECT_TRUE(logicalBlack(s, right / 2, bottom));
  EXPECT_TRUE(logicalBlack(s, 250, 150));  // kept through the growth
  const QImage shown = s.grab().toImage();
  EXPECT_EQ(shown.pixel(shown.width() - 1, shown.height() - 1), qRgb(0, 0, 0));
  EXPECT_EQ(shown.pixel(shown.width() - 1, shown.height() / 2), qRgb(255, 255, 255));

  // Memory follows the window, not the screens.
  const Device d = device(s);
  EXPECT_LE(s.image().width(), std::ceil((big.width() + 64) * d.ratio));
  EXPECT_LE(s.image().height(), std::ceil((big.height() + 64) * d.ratio));

  // What the printer gets is the client area at the device's resolution.
  const QImage client = clientImage(s, s.image());
  EXPECT_EQ(client.devicePixelRatio(), d.ratio);
  EXPECT_EQ(client.width(), int(std::ceil(big.width() * d.ratio)));
  EXPECT_EQ(client.height(), int(std::ceil(big.height() * d.ratio)));
  EXPECT_TRUE(black(client, client.width() - 1, client.height() - 1));

  // Shrinking keeps the drawing for the next growth.
  s.resize(100, 100);
  s.resize(big);
  EXPECT_TRUE(logicalBlack(s, right, bottom));
}

// A surface whose memory runs out past a number of pixels.
struct StarvedSurface : QtSurface {
  qsizetype limit = 0;  // none when 0
  QImage newImage(QSize pixels) const override {
    if (limit && qsizetype{pixels.width()} * pixels.height() > limit) return {};
    return QtSurface::newImage(pixels);
  }
};

TEST(QtSurface, DrawingThatCannotGrowKeepsWhatItHasAndDrawsWhatFits) {
  StarvedSurface s;
  s.resize(300, 200);
  const double tpp = s.twipsPerPixel();
  s.PSet(250 * tpp, 150 * tpp);
  s.limit = s.image().width() * s.image().height();
  s.resize(3000, 2000);
  EXPECT_EQ(s.ScaleWidth(), static_cast<float>(3000 * tpp));  // the frame is still the window's
  PlotFrame frame;
  setFrameForm1(frame, s);
  ScriptedDialogs dialogs;
  MapParams p = kDefaultParams;
  plotOrbit(s, p, CutOffLimits{}, frame, {PlotMode::k2D}, dialogs);
  s.PSet(2900 * tpp, 1900 * tpp);  // past what fits
  s.Line(0, 0, 3000 * tpp, 1000 * tpp);
  s.Line(0, 0, 3000 * tpp, 2000 * tpp, true);
  s.CurrentX = 2500 * tpp;
  s.Print("Xn");
  EXPECT_TRUE(logicalBlack(s, 250, 150));
  EXPECT_TRUE(logicalBlack(s, 0, 0));
  s.show();
  const QImage shown = s.grab().toImage();
  EXPECT_EQ(shown.pixel(shown.width() - 1, shown.height() - 2), qRgb(255, 255, 255));
  // Once there is memory again, the next resize has the drawing follow the window.
  s.limit = 0;
  s.resize(3000, 2001);
  s.PSet(2900 * tpp, 1900 * tpp);
  EXPECT_TRUE(logicalBlack(s, 2900, 1900));
  EXPECT_TRUE(logicalBlack(s, 250, 150));
}

// Outlines drawn pixel by pixel from the rule the surface follows: the logical pixels that the
// edges' coordinates fall in.
QImage outlinesByHand(const std::vector<Box>& boxes, double tpp, const QImage& like) {
  const Device d{like.devicePixelRatio()};
  const QSize size = like.size();
  const int cols = int(size.width() / d.ratio), rows = int(size.height() / d.ratio);
  std::vector<char> logical(std::size_t(cols) * rows, 0);
  const auto mark = [&](long x, long y) {
    if (x >= 0 && y >= 0 && x < cols && y < rows) logical[std::size_t(y) * cols + x] = 1;
  };
  for (const Box& b : boxes) {
    const auto px = [tpp](double v) { return long(std::floor(std::clamp(v / tpp, -2.0, 1e6))); };
    const long l = px(std::min(b.x1, b.x2)), r = px(std::max(b.x1, b.x2));
    const long t = px(std::min(b.y1, b.y2)), u = px(std::max(b.y1, b.y2));
    for (long x = l; x <= r; ++x) mark(x, t), mark(x, u);
    for (long y = t; y <= u; ++y) mark(l, y), mark(r, y);
  }
  QImage img(size, QImage::Format_RGB32);
  img.fill(Qt::white);
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < cols; ++x)
      if (logical[std::size_t(y) * cols + x])
        for (int dy = 0; dy < d.width(y); ++dy)
          for (int dx = 0; dx < d.width(x); ++dx) {
            const int X = d.start(x) + dx, Y = d.start(y) + dy;
            if (X < img.width() && Y < img.height()) img.setPixel(X, Y, qRgb(0, 0, 0));
          }
  return img;
}

// Histogram bars as the histogram window lays them out: m bars across the frame, heights from
// a deterministic, orbit-like spread of counts.
std::vector<Box> histogramBars(int m, double left, double right, double top, double bottom) {
  std::vector<Box> bars;
  bars.reserve(std::size_t(m));
  const int maxN = 1000;
  std::uint32_t h = 12345;
  for (int i = 0; i < m; ++i) {
    h = h * 1664525u + 1013904223u;
    const double shape = std::abs(std::sin(i * 7.0 / m)) * 900;
    const int count = i % 97 == 0 ? 0 : int(shape) + int(h >> 25);
    const double barWidth = (right - left) / m;
    const double barTop = bottom - count * ((bottom - top) + 100) / maxN;
    bars.push_back({left + i * barWidth, barTop, left + (i + 1) * barWidth, bottom});
  }
  return bars;
}

// Many bars share a pixel column; the surface draws what they show there per column. That must be
// what drawing every bar by itself shows, at every ratio.
TEST(QtSurface, BarsNarrowerThanAPixelDrawAsEachBarWould) {
  for (int m : {7, 1000, 100'000, 1'000'000}) {
    SCOPED_TRACE(m);
    QtSurface perColumn, perBar;
    perColumn.resize(900, 500);
    perBar.resize(900, 500);
    const double tpp = perColumn.twipsPerPixel();
    // Edges off the pixel grid, the last bars reaching beyond the window at the top and right.
    const std::vector<Box> bars =
        histogramBars(m, 40 * tpp + 3.3, 905 * tpp, 30 * tpp + 7.1, 450 * tpp + 0.7);
    for (std::size_t i = 0; i < bars.size(); i += 4096)
      perColumn.BoxMany(std::span(bars).subspan(i, std::min<std::size_t>(4096, bars.size() - i)));
    for (const Box& b : bars) perBar.Line(b.x1, b.y1, b.x2, b.y2, true);
    ASSERT_EQ(perColumn.image(), perBar.image());
    if (m <= 100'000) {
      const QImage& img = perColumn.image();
      EXPECT_EQ(img, outlinesByHand(bars, tpp, img));
    }
  }
}

TEST(QtSurface, BoxesInAnyOrderAndPartlyOutside) {
  QtSurface s;
  s.resize(200, 100);
  const double tpp = s.twipsPerPixel();
  std::vector<Box> boxes = {
      {50 * tpp, 20 * tpp, 10 * tpp, 5 * tpp},         // corners swapped
      {-30 * tpp, 40 * tpp, 30 * tpp, 500 * tpp},      // left and bottom outside
      {150.2 * tpp, 60 * tpp, 150.7 * tpp, 60 * tpp},  // a single pixel
      {100 * tpp, 10 * tpp, 120 * tpp, 80 * tpp},      // separate spans in column 100 and 120
      {100 * tpp, 85 * tpp, 120 * tpp, 95 * tpp},
      {100 * tpp, -1e300, 1e300, -1e300},            // far away
      {60.2 * tpp, 10 * tpp, 60.7 * tpp, 20 * tpp},  // narrow ones in column 60: apart,
      {60.2 * tpp, 24 * tpp, 60.7 * tpp, 26 * tpp},
      {60.3 * tpp, 40 * tpp, 60.4 * tpp, 50 * tpp},  // then touching,
      {60.5 * tpp, 51 * tpp, 60.6 * tpp, 55 * tpp},
      {60.9 * tpp, 30 * tpp, 61.2 * tpp, 35 * tpp},    // across its right edge,
      {60.1 * tpp, 300 * tpp, 60.2 * tpp, 400 * tpp},  // below the window
      {60.6 * tpp, 70 * tpp, 60.8 * tpp, 72 * tpp},
      {3 * tpp, 60 * tpp, 4 * tpp, 64 * tpp},  // edges in neighbouring columns, where 1.25 split
      {NAN, 1, 2, 3},
  };
  s.BoxMany(boxes);
  boxes.pop_back();
  EXPECT_EQ(s.image(), outlinesByHand(boxes, tpp, s.image()));
  EXPECT_TRUE(logicalBlack(s, 150, 60));
  EXPECT_FALSE(logicalBlack(s, 100, 83));
  EXPECT_FALSE(logicalBlack(s, 60, 22));
  EXPECT_FALSE(logicalBlack(s, 60, 38));
  EXPECT_TRUE(rowBlack(s.image(), 3, 4, 62));
}

// A window manager's title bar holds the title beside an icon and three buttons, each about a
// line high: a box as narrow as its short message showed "Hén…orer".
TEST(QtDialogs, MessageBoxIsWideEnoughForItsTitle) {
  int width = 0, needed = 0;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    QFont bold = box->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    needed = metrics.horizontalAdvance(box->windowTitle()) + 4 * metrics.height();
    width = box->width();
    box->close();
  });
  QtDialogs().MsgBox("OK");
  EXPECT_GE(width, needed);
}

}  // namespace
}  // namespace henon
