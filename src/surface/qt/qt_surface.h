// SPDX-License-Identifier: MIT
// A window's client area as a DrawingSurface. Everything drawn goes into a backing image that
// covers the client area and grows with it, so nothing is lost while the window is hidden,
// covered or resized. Drawing happens in logical pixels: at any device-pixel ratio a point or a
// line is one logical pixel across, and text is drawn at the device's resolution.
#pragma once

#include <QImage>
#include <QWidget>
#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "surface/drawing_surface.h"
#include "surface/point_raster.h"

namespace henon {

class QtSurface : public QWidget, public DrawingSurface {
 public:
  explicit QtSurface(QWidget* parent = nullptr);

  void Cls() override;
  void PSet(double x, double y) override;
  void PSetMany(std::span<const Point> points) override;
  const PointRaster* pointRaster() override;
  void rasterChanged() override;
  using DrawingSurface::Line;
  void Line(double x1, double y1, double x2, double y2, bool box) override;
  void BoxMany(std::span<const Box> boxes) override;
  void Print(const std::string& text) override;
  double TextWidth(const std::string& text) const override;
  double TextHeight(const std::string& text) const override;
  double ScaleWidth() const override;
  double ScaleHeight() const override;

  // While held, the surface reports the client size it had when the hold began and keeps its
  // drawing at that size and device-pixel ratio, so that a command sees one window from start to
  // end; a resize meanwhile takes effect at the release.
  void holdSize(bool hold);

  double twipsPerPixel() const { return twipsPerPixel_; }
  // The retained drawing in device pixels, carrying its device-pixel ratio. Its top-left corner is
  // the client area's; it covers at least the whole client area, and may reach beyond it.
  const QImage& image() const { return image_; }

  // Button state (1 left, 2 right, 4 middle, added), shift state, pointer in twips.
  using MouseHandler = std::function<void(int button, int shift, float x, float y)>;
  MouseHandler onMouseDown;
  MouseHandler onMouseMove;

 protected:
  // The drawing's next image, white; null when the memory for it cannot be had.
  virtual QImage newImage(QSize pixels) const;
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  // Grows the drawing to the client area and follows a change of device-pixel ratio. Hidden
  // windows get their resize events only when shown, so every drawing operation asks first.
  // Where the memory runs out it keeps the drawing it has, and what falls outside is not drawn.
  void cover();
  // The drawing as a raster that sets black points; cover() comes first.
  PointRaster raster();
  template <int kSide>
  void setPoints(std::span<const Point> points);
  // Logical pixel of a coordinate in twips, clamped to -1 … n so that it fits an int.
  int cell(double twips, int n) const;
  // Blackens the logical pixels x1…x2 by y1…y2 (inclusive, already clipped).
  void fillCells(int x1, int x2, int y1, int y2);
  // Vertical outline pieces of one batch of boxes, merged per column before they are drawn.
  void addSpan(int x, int top, int bottom);
  void drawSpans();

  struct Span {
    int top, bottom;  // empty when top > bottom
    // Takes in top…bottom when empty or when the two touch; false when a gap would be left.
    bool grow(int t, int b) {
      if (top > bottom) {
        *this = {t, b};
      } else if (t <= bottom + 1 && b >= top - 1) {
        *this = {std::min(top, t), std::max(bottom, b)};
      } else {
        return false;
      }
      return true;
    }
  };

  QImage image_;
  // One bit per logical pixel, set only where the drawing is known to be black, so that an orbit
  // revisiting its pixels reads a small mask instead of the large image.
  std::vector<std::uint64_t> inked_;
  int cols_ = 0, rows_ = 0;  // logical pixels covered
  double ratio_ = 0;         // device pixels per logical pixel
  int side_ = 1;             // round(ratio): the fewest device pixels a cell is wide
  std::vector<Span> spans_;
  int spanFirst_ = INT_MAX, spanLast_ = -1;  // columns that may hold spans
  double twipsPerPixel_;
  double pixelsPerTwip_;
  PointRaster raster_;
  struct Held {
    int width, height;
    double ratio;
  };
  std::optional<Held> held_;
  QSize refused_;  // an image size that could not be had, not asked for again
};

// 1440 twips to the inch at the screen's logical resolution.
double screenTwipsPerPixel();

}  // namespace henon
