// SPDX-License-Identifier: MIT
// Map parameters from fuzz bytes: often near the values people type, sometimes anything finite.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <optional>

#include "model/params.h"

namespace henon {

inline double anyFinite(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return in.ConsumeFloatingPointInRange(-2.0, 2.0);
    case 1:
      return in.ConsumeFloatingPointInRange(-1e4, 1e4);
    case 2: {
      // A decimal of any size, as a person might type 1e300.
      const double m = in.ConsumeFloatingPointInRange(-9.99, 9.99);
      return m * std::pow(10.0, in.ConsumeIntegralInRange(-320, 307));
    }
    default:
      return in.ConsumeFloatingPoint<double>();
  }
}

// An ordered pair lo < hi with a finite difference, as readParams accepts them.
inline std::optional<std::pair<double, double>> viewRange(FuzzedDataProvider& in) {
  double lo = anyFinite(in), hi = anyFinite(in);
  if (in.ConsumeBool()) hi = lo + std::fabs(anyFinite(in));
  if (hi < lo) std::swap(lo, hi);
  if (!(lo < hi) || !std::isfinite(hi - lo)) return std::nullopt;
  return std::pair{lo, hi};
}

// Parameters that passed readParams, N at most maxN (small values far more often).
inline std::optional<MapParams> acceptedParams(FuzzedDataProvider& in, std::int32_t maxN) {
  MapParams p;
  p.a = anyFinite(in);
  p.b = anyFinite(in);
  p.x0 = anyFinite(in);
  p.y0 = anyFinite(in);
  auto x = viewRange(in);
  auto y = viewRange(in);
  if (!x || !y) return std::nullopt;
  p.xbl = x->first;
  p.xtr = x->second;
  p.ybl = y->first;
  p.ytr = y->second;
  const int bits = in.ConsumeIntegralInRange(0, 31);
  const std::int64_t top = std::min<std::int64_t>(maxN, std::int64_t{1} << bits);
  p.N = static_cast<std::int32_t>(in.ConsumeIntegralInRange<std::int64_t>(1, top));
  return p;
}

}  // namespace henon
