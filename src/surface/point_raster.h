// SPDX-License-Identifier: MIT
// A surface whose points are logical pixels of a plain 32-bit image may lend that image out, so
// that an orbit sets each point as it computes it. The stores then overlap the orbit's own
// dependent chain instead of following it in a pass of their own.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace henon {

struct PointRaster {
  std::uint32_t* bits = nullptr;
  std::ptrdiff_t stride = 0;  // device pixels from one row to the next
  double cols = 0, rows = 0;  // logical pixels covered, whole numbers
  double pixelsPerTwip = 0;   // logical pixels
  std::uint32_t ink = 0;
  // Device pixels per logical pixel. Logical pixel L starts at device pixel floor(L * ratio) and
  // is round(ratio) device pixels wide, cut at the image's edge: runs of them have no gaps.
  double ratio = 1;
  int side = 1;               // round(ratio)
  int width = 0, height = 0;  // device pixels of the image

  // How a logical pixel lies on the device pixels, for a caller that picks its code once.
  enum class Scale { kOne, kTwo, kAny };
  Scale scale() const { return ratio == 1 ? Scale::kOne : ratio == 2 ? Scale::kTwo : Scale::kAny; }

  // Inks the logical pixel under (x, y) in twips; a point off the raster is dropped.
  template <Scale kScale>
  void set(double x, double y) const {
    // Against whole-number bounds, floor(t) >= 0 && floor(t) < n holds exactly when
    // t >= 0 && t < n, and for such t truncation is floor.
#if defined(__SSE2__)
    // Both coordinates at once: fewer instructions on a path taken once per point.
    const __m128d t = _mm_mul_pd(_mm_set_pd(y, x), _mm_set1_pd(pixelsPerTwip));
    const __m128d inside =
        _mm_and_pd(_mm_cmpge_pd(t, _mm_setzero_pd()), _mm_cmplt_pd(t, _mm_set_pd(rows, cols)));
    if (_mm_movemask_pd(inside) != 3) return;
    const __m128i whole = _mm_cvttpd_epi32(t);
    if constexpr (kScale == Scale::kAny) {
      // Where the pixel starts, both at once and as setPixel finds it.
      const __m128i at = _mm_cvttpd_epi32(_mm_mul_pd(_mm_cvtepi32_pd(whole), _mm_set1_pd(ratio)));
      const auto xy = static_cast<std::uint64_t>(_mm_cvtsi128_si64(at));
      fill(static_cast<int>(static_cast<std::uint32_t>(xy)), static_cast<int>(xy >> 32));
    } else {
      const auto xy = static_cast<std::uint64_t>(_mm_cvtsi128_si64(whole));
      setPixel<kScale>(static_cast<std::uint32_t>(xy), static_cast<std::uint32_t>(xy >> 32));
    }
#else
    const double tx = x * pixelsPerTwip, ty = y * pixelsPerTwip;
    if (!(tx >= 0 && ty >= 0 && tx < cols && ty < rows)) return;
    setPixel<kScale>(static_cast<std::uint32_t>(tx), static_cast<std::uint32_t>(ty));
#endif
  }
  void set(double x, double y) const {
    switch (scale()) {
      case Scale::kOne:
        return set<Scale::kOne>(x, y);
      case Scale::kTwo:
        return set<Scale::kTwo>(x, y);
      case Scale::kAny:
        return set<Scale::kAny>(x, y);
    }
  }

  // Inks logical pixel (px, py), which must lie on the raster.
  template <Scale kScale>
  void setPixel(std::uint32_t px, std::uint32_t py) const {
    // Plain stores: reading first to spare a black pixel the write saves nothing measurable, and
    // inside the orbit a branch on the pixel would mispredict against its dependent chain.
    if constexpr (kScale == Scale::kOne) {
      bits[static_cast<std::ptrdiff_t>(py) * stride + px] = ink;
    } else if constexpr (kScale == Scale::kTwo) {
      std::uint32_t* at = bits + (static_cast<std::ptrdiff_t>(py) * stride + px) * 2;
      const std::uint64_t two = ink * 0x1'0000'0001ull;
      std::memcpy(at, &two, sizeof two);
      std::memcpy(at + stride, &two, sizeof two);
    } else {
      fill(static_cast<int>(px * ratio), static_cast<int>(py * ratio));
    }
  }
  void setPixel(std::uint32_t px, std::uint32_t py) const {
    switch (scale()) {
      case Scale::kOne:
        return setPixel<Scale::kOne>(px, py);
      case Scale::kTwo:
        return setPixel<Scale::kTwo>(px, py);
      case Scale::kAny:
        return setPixel<Scale::kAny>(px, py);
    }
  }

 private:
  // The device pixels of the logical pixel that starts at device pixel (dx, dy).
  void fill(int dx, int dy) const {
    std::uint32_t* at = bits + static_cast<std::ptrdiff_t>(dy) * stride + dx;
    // The common squares, away from the image's last row and column, in as few stores as at the
    // whole ratios.
    if (side == 1) {
      if (dx < width && dy < height) *at = ink;
      return;
    }
    if (side == 2 && dx + 2 <= width && dy + 2 <= height) {
      const std::uint64_t two = ink * 0x1'0000'0001ull;
      std::memcpy(at, &two, sizeof two);
      std::memcpy(at + stride, &two, sizeof two);
      return;
    }
    const int right = std::min(dx + side, width), bottom = std::min(dy + side, height);
    for (int y = dy; y < bottom; ++y) {
      std::uint32_t* row = bits + static_cast<std::ptrdiff_t>(y) * stride;
      for (int x = dx; x < right; ++x) row[x] = ink;
    }
  }
};

}  // namespace henon
