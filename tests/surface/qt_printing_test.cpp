// SPDX-License-Identifier: MIT
#include "surface/qt/qt_printing.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <chrono>

namespace henon {
namespace {

CupsPaper a4(double left = 0, double top = 0, double right = 0, double bottom = 0) {
  return {210, 297, left, top, right, bottom, 300};
}

void expectCentredIn(const QRect& picture, const QRectF& area) {
  EXPECT_NEAR(picture.left() - area.left(), area.right() - (picture.left() + picture.width()), 1);
  EXPECT_NEAR(picture.top() - area.top(), area.bottom() - (picture.top() + picture.height()), 1);
}

TEST(QtPrinting, PictureFillsThePageInTheOrientationThatSuitsIt) {
  const double dots = 300 / 25.4;
  const QRectF portrait(0, 0, 210 * dots, 297 * dots), landscape(0, 0, 297 * dots, 210 * dots);
  // A wide window goes across the long side, a tall one along it.
  const PageFit wide = fitOnPage(QSize(1913, 1032), a4());
  EXPECT_TRUE(wide.landscape);
  EXPECT_EQ(wide.page, QSize(3508, 2480));
  EXPECT_NEAR(wide.picture.width(), landscape.width(), 1);
  EXPECT_NEAR(wide.picture.height(), 1032.0 * landscape.width() / 1913, 1);
  expectCentredIn(wide.picture, landscape);

  const PageFit tall = fitOnPage(QSize(600, 1000), a4());
  EXPECT_FALSE(tall.landscape);
  EXPECT_NEAR(tall.picture.height(), portrait.height(), 1);
  EXPECT_NEAR(tall.picture.width(), 0.6 * portrait.height(), 1);
  expectCentredIn(tall.picture, portrait);

  // The same window at twice the pixels lands on the same place of the page.
  EXPECT_EQ(fitOnPage(QSize(3826, 2064), a4()).picture, wide.picture);
}

TEST(QtPrinting, PictureStaysInsideThePrintableArea) {
  // Margins of 5, 10, 15 and 20 mm on the left, top, right and bottom of the paper; turned for
  // landscape, the paper's bottom edge is the page's left one.
  const double d = 300 / 25.4;
  const PageFit wide = fitOnPage(QSize(2000, 1000), a4(5, 10, 15, 20));
  ASSERT_TRUE(wide.landscape);
  const QRectF area(20 * d, 5 * d, (297 - 30) * d, (210 - 20) * d);
  EXPECT_TRUE(area.adjusted(-1, -1, 1, 1).contains(QRectF(wide.picture)));
  EXPECT_NEAR(wide.picture.width(), area.width(), 1);
  expectCentredIn(wide.picture, area);
}

TEST(QtPrinting, ResizingNeverLightensAPoint) {
  QImage dots(9, 9, QImage::Format_RGB32);
  dots.fill(Qt::white);
  dots.setPixel(0, 0, qRgb(0, 0, 0));
  dots.setPixel(4, 4, qRgb(0, 0, 0));
  dots.setPixel(8, 7, qRgb(0, 0, 0));

  // Shrunk to a third, every point still makes a black pixel of its own.
  const QImage small = scaleForPrint(dots, QSize(3, 3));
  EXPECT_EQ(small.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(small.pixel(1, 1), qRgb(0, 0, 0));
  EXPECT_EQ(small.pixel(2, 2), qRgb(0, 0, 0));
  EXPECT_EQ(small.pixel(2, 0), qRgb(255, 255, 255));

  // Enlarged by 2.5, a point becomes a solid block of black with no grey around it.
  const QImage large = scaleForPrint(dots, QSize(22, 22));
  int black = 0;
  for (int y = 0; y < 22; ++y)
    for (int x = 0; x < 22; ++x) {
      const QRgb p = large.pixel(x, y);
      EXPECT_TRUE(p == qRgb(0, 0, 0) || p == qRgb(255, 255, 255)) << x << "," << y;
      black += p == qRgb(0, 0, 0);
    }
  EXPECT_GE(black, 3 * 2 * 2);
  EXPECT_EQ(large.pixel(10, 10), qRgb(0, 0, 0));
}

TEST(QtPrinting, ClientImageHoldsTheDrawingAndTheControlsAtDevicePixels) {
  for (const qreal ratio : {1.0, 2.0}) {
    QWidget client;
    client.resize(200, 100);
    auto* label = new QLabel("x", &client);
    label->setStyleSheet("background: black");
    label->setGeometry(10, 10, 20, 20);
    label->show();
    // More drawing is retained than the client shows.
    QImage retained(QSize(400, 300) * ratio, QImage::Format_RGB32);
    retained.fill(Qt::white);
    retained.setDevicePixelRatio(ratio);
    retained.setPixel(QPoint(150, 50) * ratio, qRgb(0, 0, 0));
    retained.setPixel(QPoint(300, 50) * ratio, qRgb(0, 0, 0));

    const QImage shot = clientImage(client, retained);
    EXPECT_EQ(shot.size(), QSize(200, 100) * ratio);
    EXPECT_EQ(shot.pixel(QPoint(150, 50) * ratio), qRgb(0, 0, 0));
    EXPECT_EQ(shot.pixel(QPoint(20, 20) * ratio), qRgb(0, 0, 0));  // the control
    EXPECT_EQ(shot.pixel(QPoint(100, 80) * ratio), qRgb(255, 255, 255));
  }
}

// The focused box's text cursor blinks; a print of the window must not catch it.
TEST(QtPrinting, ClientImageLeavesOutTheTextCursor) {
  QWidget client;
  client.resize(200, 100);
  auto* box = new QLineEdit("0.5", &client);
  box->setGeometry(10, 10, 100, 25);
  client.show();
  client.activateWindow();
  box->setFocus();
  QCoreApplication::processEvents();
  ASSERT_TRUE(box->hasFocus());
  QImage retained(client.size(), QImage::Format_RGB32);
  retained.fill(Qt::white);
  const QImage first = clientImage(client, retained);
  // Through both phases of the blink.
  const auto step = std::chrono::milliseconds(std::max(100, QApplication::cursorFlashTime() / 3));
  for (int i = 0; i < 4; ++i) {
    const auto until = std::chrono::steady_clock::now() + step;
    while (std::chrono::steady_clock::now() < until) QCoreApplication::processEvents();
    EXPECT_TRUE(clientImage(client, retained) == first) << i;
  }
  EXPECT_TRUE(box->hasFocus());
}

}  // namespace
}  // namespace henon
