// SPDX-License-Identifier: MIT
// One step of the map, shared by the orbit and the histogram.
#pragma once

namespace henon {

struct MapStep {
  double x, y;
};

// Every orbit point and every histogram count depends on these operations in this order.
inline MapStep mapStep(double a, double b, double x, double y) {
  return {(1 + y) - ((x * a) * x), x * b};
}

}  // namespace henon
