// SPDX-License-Identifier: MIT
// Fixed-size staging for points or boxes, so a surface sees one call per few
// thousand items and memory stays flat however many there are.
#pragma once

#include <array>
#include <span>

#include "surface/drawing_surface.h"

namespace henon {

template <typename Item, void (DrawingSurface::*Flush)(std::span<const Item>)>
class Batch {
 public:
  explicit Batch(DrawingSurface& surface) : surface_(surface) {}
  ~Batch() { flush(); }
  Batch(const Batch&) = delete;
  Batch& operator=(const Batch&) = delete;

  void add(const Item& item) {
    items_[size_++] = item;
    if (size_ == items_.size()) flush();
  }
  // The space left before the next flush, for a caller that fills it from a
  // loop without calls; commit() then takes in what was written.
  std::span<Item> space() { return {items_.data() + size_, items_.size() - size_}; }
  void commit(std::size_t added) {
    size_ += added;
    if (size_ == items_.size()) flush();
  }
  void flush() {
    if (size_ > 0) (surface_.*Flush)({items_.data(), size_});
    size_ = 0;
  }

 private:
  DrawingSurface& surface_;
  std::array<Item, 4096> items_;
  std::size_t size_ = 0;
};

using PointBatch = Batch<Point, &DrawingSurface::PSetMany>;
using BoxBatch = Batch<Box, &DrawingSurface::BoxMany>;

}  // namespace henon
