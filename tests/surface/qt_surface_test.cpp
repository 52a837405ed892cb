#include "surface/qt/qt_surface.h"

#include <gtest/gtest.h>

namespace henon {
namespace {

TEST(QtSurface, PointsLandOnTheirPixelAndSurviveHiding) {
  QtSurface s;
  s.resize(400, 300);
  const double tpp = s.twipsPerPixel();
  const QImage& img = s.image();
  const double dpr = img.devicePixelRatio();
  s.PSet(10 * tpp, 20 * tpp);
  const Point batch[] = {{30 * tpp + 1, 40 * tpp + 1}, {-5, -5}, {1e12, 1e12}};
  s.PSetMany(batch);
  EXPECT_EQ(img.pixel(int(10 * dpr), int(20 * dpr)), qRgb(0, 0, 0));
  EXPECT_EQ(img.pixel(int(30 * dpr), int(40 * dpr)), qRgb(0, 0, 0));
  EXPECT_EQ(img.pixel(int(11 * dpr), int(20 * dpr)), qRgb(255, 255, 255));
  s.show();
  s.hide();
  s.resize(50, 50);
  s.show();
  EXPECT_EQ(s.image().pixel(int(30 * dpr), int(40 * dpr)), qRgb(0, 0, 0));
  s.Cls();
  EXPECT_EQ(s.image().pixel(int(30 * dpr), int(40 * dpr)), qRgb(255, 255, 255));
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
  s.Line(0, 1500, 1500, 1500, false);
  int inked = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) inked += s.image().pixel(x, y) != qRgb(255, 255, 255);
  EXPECT_GT(inked, 5);
  EXPECT_EQ(s.image().pixel(50, 100), qRgb(0, 0, 0));
}

}  // namespace
}  // namespace henon
