// SPDX-License-Identifier: MIT
// What every window offers the plotting code: retained drawing in twips, origin at the
// top-left of the client area, y growing downwards.
#pragma once

#include <cstddef>
#include <span>
#include <string>

namespace henon {

struct PointRaster;

struct Point {
  double x;
  double y;
};

struct Box {
  double x1, y1, x2, y2;  // opposite corners
};

class DrawingSurface {
 public:
  virtual ~DrawingSurface() = default;

  virtual void Cls() = 0;
  virtual void PSet(double x, double y) = 0;
  // The orbit hands over its points in batches: one call per few thousand points, not per point.
  virtual void PSetMany(std::span<const Point> points) {
    for (const Point& p : points) PSet(p.x, p.y);
  }
  // Null unless a point is a pixel or a 2 x 2 square of a plain image; then the raster sets what
  // PSet would. It stays valid until the next call on the surface, and rasterChanged shows
  // what was set.
  virtual const PointRaster* pointRaster() { return nullptr; }
  virtual void rasterChanged() {}
  // A default argument on a virtual follows the static type, not the override, so the plain
  // segment has its own overload instead.
  virtual void Line(double x1, double y1, double x2, double y2, bool box) = 0;
  void Line(double x1, double y1, double x2, double y2) { Line(x1, y1, x2, y2, false); }
  // A histogram may have millions of bars: they too arrive in batches.
  virtual void BoxMany(std::span<const Box> boxes) {
    for (const Box& b : boxes) Line(b.x1, b.y1, b.x2, b.y2, true);
  }
  virtual void Print(const std::string& text) = 0;
  virtual double TextWidth(const std::string& text) const = 0;
  virtual double TextHeight(const std::string& text) const = 0;
  virtual double ScaleWidth() const = 0;
  virtual double ScaleHeight() const = 0;

  double CurrentX = 0;
  double CurrentY = 0;
};

}  // namespace henon
