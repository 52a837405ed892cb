// SPDX-License-Identifier: MIT
// A surface of a given size that draws nothing, for timing what the orbit costs without pixels
// and as the base of surfaces that only look at the points.
#pragma once

#include <span>
#include <string>

#include "surface/drawing_surface.h"

namespace henon {

class NullSurface : public DrawingSurface {
 public:
  NullSurface(double width, double height) : width_(width), height_(height) {}
  void Cls() override {}
  void PSet(double, double) override {}
  void PSetMany(std::span<const Point>) override {}
  void Line(double, double, double, double, bool) override {}
  void Print(const std::string&) override {}
  double TextWidth(const std::string&) const override { return 0; }
  double TextHeight(const std::string&) const override { return 0; }
  double ScaleWidth() const override { return width_; }
  double ScaleHeight() const override { return height_; }

 private:
  double width_, height_;
};

}  // namespace henon
