// SPDX-License-Identifier: MIT
// A surface whose points are pixels, or squares of 2 x 2 pixels, of a plain 32-bit image may lend
// that image out, so that an orbit sets each point as it computes it. The stores then overlap the
// orbit's own dependent chain instead of following it in a pass of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace henon {

struct PointRaster {
  std::uint32_t* bits = nullptr;
  std::ptrdiff_t stride = 0;  // pixels from one row to the next
  double cols = 0, rows = 0;  // pixels covered, whole numbers
  double pixelsPerTwip = 0;
  std::uint32_t ink = 0;
  int side = 1;  // a point is a square of 1 x 1 or 2 x 2 pixels

  // Inks the pixel under (x, y) in twips; a point off the raster is dropped.
  void set(double x, double y) const {
    // Against whole-number bounds, floor(t) >= 0 && floor(t) < n holds exactly when
    // t >= 0 && t < n, and for such t truncation is floor.
#if defined(__SSE2__)
    // Both coordinates at once: fewer instructions on a path taken once per point.
    const __m128d t = _mm_mul_pd(_mm_set_pd(y, x), _mm_set1_pd(pixelsPerTwip));
    const __m128d inside =
        _mm_and_pd(_mm_cmpge_pd(t, _mm_setzero_pd()), _mm_cmplt_pd(t, _mm_set_pd(rows, cols)));
    if (_mm_movemask_pd(inside) != 3) return;
    const auto xy = static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_cvttpd_epi32(t)));
    const auto px = static_cast<std::uint32_t>(xy);
    const auto py = static_cast<std::uint32_t>(xy >> 32);
#else
    const double tx = x * pixelsPerTwip, ty = y * pixelsPerTwip;
    if (!(tx >= 0 && ty >= 0 && tx < cols && ty < rows)) return;
    const auto px = static_cast<std::uint32_t>(tx);
    const auto py = static_cast<std::uint32_t>(ty);
#endif
    setPixel(px, py);
  }

  // Inks pixel (px, py), which must lie on the raster.
  void setPixel(std::uint32_t px, std::uint32_t py) const {
    // Plain stores: reading first to spare a black pixel the write saves nothing measurable, and
    // inside the orbit a branch on the pixel would mispredict against its dependent chain.
    std::uint32_t* at = bits + (static_cast<std::ptrdiff_t>(py) * stride + px) * side;
    if (side == 1) {
      *at = ink;
      return;
    }
    const std::uint64_t two = ink * 0x1'0000'0001ull;
    std::memcpy(at, &two, sizeof two);
    std::memcpy(at + stride, &two, sizeof two);
  }
};

}  // namespace henon
