// A window's client area as a DrawingSurface. Everything drawn goes into a backing image that
// covers the whole screen, so nothing is lost while the window is hidden, covered or resized.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "surface/drawing_surface.h"

namespace henon {

class QtSurface : public QWidget, public DrawingSurface {
 public:
  explicit QtSurface(QWidget* parent = nullptr);

  void Cls() override;
  void PSet(double x, double y) override;
  void PSetMany(std::span<const Point> points) override;
  void Line(double x1, double y1, double x2, double y2, bool box) override;
  void BoxMany(std::span<const Box> boxes) override;
  void Print(const std::string& text) override;
  double TextWidth(const std::string& text) const override;
  double TextHeight(const std::string& text) const override;
  double ScaleWidth() const override;
  double ScaleHeight() const override;

  double twipsPerPixel() const { return twipsPerPixel_; }
  const QImage& image() const { return image_; }

  // Button state (1 left, 2 right, 4 middle, added), shift state, pointer in twips.
  using MouseHandler = std::function<void(int button, int shift, float x, float y)>;
  MouseHandler onMouseDown;
  MouseHandler onMouseMove;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  QImage image_;
  double twipsPerPixel_;
  double deviceScale_;  // device pixels per twip
};

// 1440 twips to the inch at the screen's logical resolution.
double screenTwipsPerPixel();

}  // namespace henon
