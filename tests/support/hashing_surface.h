// SPDX-License-Identifier: MIT
// A surface that keeps an FNV-1a hash over the bits of every point handed to it, so that long
// runs and different builds can be shown to stage the same points to the bit.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>

#include "support/recording_surface.h"

namespace henon {

class HashingSurface : public RecordingSurface {
 public:
  using RecordingSurface::RecordingSurface;
  void PSet(double x, double y) override {
    const Point p{x, y};
    PSetMany({&p, 1});
  }
  void PSetMany(std::span<const Point> points) override {
    for (const Point& p : points) {
      mix(p.x);
      mix(p.y);
    }
    count += points.size();
  }
  // The hash with the orbit's final N mixed in: where a run ends belongs to its result.
  std::uint64_t pinned(std::int32_t n) const {
    return hash ^ (static_cast<std::uint64_t>(n) * 0x9e3779b97f4a7c15);
  }

  std::uint64_t hash = 0xcbf29ce484222325;
  std::uint64_t count = 0;

 private:
  void mix(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    for (int i = 0; i < 8; ++i) hash = (hash ^ ((bits >> (8 * i)) & 0xff)) * 0x100000001b3;
  }
};

}  // namespace henon
