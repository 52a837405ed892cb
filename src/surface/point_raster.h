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
  // Device pixels per logical pixel. Logical pixel L covers the device pixels from cellStart(L)
  // to cellEnd: at least round(ratio) of them and up to where L + 1 starts, cut at the image's
  // edge, so runs of them have no gaps at any ratio.
  double ratio = 1;
  int side = 1;               // round(ratio)
  int width = 0, height = 0;  // device pixels of the image

  int cellStart(int logical) const { return static_cast<int>(logical * ratio); }
  // One past the last device pixel of the cell that starts at `start`, the next one at `next`.
  static int cellEnd(int start, int next, int side, int limit) {
    return std::min(std::max(start + side, next), limit);
  }

  // How a logical pixel lies on the device pixels, for a caller that picks its code once. Up to
  // round(ratio) every cell is that wide, as at 1.5 and 1.75; above it, as at 1.25, cells differ
  // in width, and below ratio 2 they are one or two device pixels each way.
  enum class Scale { kOne, kTwo, kSide, kSplit, kAny };
  Scale scale() const {
    if (ratio == 1) return Scale::kOne;
    if (ratio == 2) return Scale::kTwo;
    if (ratio <= side) return Scale::kSide;
    return ratio < 2 ? Scale::kSplit : Scale::kAny;
  }

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
    if constexpr (kScale == Scale::kSide) {
      // Where the pixel starts, both ways at once and as cellStart finds it.
      const __m128d at = _mm_cvtepi32_pd(whole);
      const auto from = static_cast<std::uint64_t>(
          _mm_cvtsi128_si64(_mm_cvttpd_epi32(_mm_mul_pd(at, _mm_set1_pd(ratio)))));
      fillSide(low(from), high(from));
    } else if constexpr (kScale == Scale::kSplit || kScale == Scale::kAny) {
      // And where the next one starts.
      const __m128d at = _mm_cvtepi32_pd(whole), r = _mm_set1_pd(ratio);
      const auto from =
          static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_cvttpd_epi32(_mm_mul_pd(at, r))));
      const auto next = static_cast<std::uint64_t>(
          _mm_cvtsi128_si64(_mm_cvttpd_epi32(_mm_mul_pd(_mm_add_pd(at, _mm_set1_pd(1)), r))));
      fill<kScale>(low(from), high(from), low(next), high(next));
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
      case Scale::kSide:
        return set<Scale::kSide>(x, y);
      case Scale::kSplit:
        return set<Scale::kSplit>(x, y);
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
    } else if constexpr (kScale == Scale::kSide) {
      fillSide(cellStart(static_cast<int>(px)), cellStart(static_cast<int>(py)));
    } else {
      const int x = static_cast<int>(px), y = static_cast<int>(py);
      fill<kScale>(cellStart(x), cellStart(y), cellStart(x + 1), cellStart(y + 1));
    }
  }
  void setPixel(std::uint32_t px, std::uint32_t py) const {
    switch (scale()) {
      case Scale::kOne:
        return setPixel<Scale::kOne>(px, py);
      case Scale::kTwo:
        return setPixel<Scale::kTwo>(px, py);
      case Scale::kSide:
        return setPixel<Scale::kSide>(px, py);
      case Scale::kSplit:
        return setPixel<Scale::kSplit>(px, py);
      case Scale::kAny:
        return setPixel<Scale::kAny>(px, py);
    }
  }

 private:
  static int low(std::uint64_t xy) {
    return static_cast<int>(static_cast<std::uint32_t>(xy));
  }
  static int high(std::uint64_t xy) {
    return static_cast<int>(xy >> 32);
  }

  // The device pixels of a cell round(ratio) wide that starts at device pixel (dx, dy).
  void fillSide(int dx, int dy) const {
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
    fill<Scale::kAny>(dx, dy, dx + side, dy + side);
  }

  // The device pixels of the logical pixel that starts at device pixel (dx, dy), the next ones
  // at nx and ny. A cell starts inside the image, so it is never cut to nothing.
  template <Scale kScale>
  void fill(int dx, int dy, int nx, int ny) const {
    const int right = cellEnd(dx, nx, side, width), bottom = cellEnd(dy, ny, side, height);
    std::uint32_t* top = bits + static_cast<std::ptrdiff_t>(dy) * stride;
    if constexpr (kScale == Scale::kSplit) {
      // One or two pixels each way are all at the corners: no branch on a cell's width.
      std::uint32_t* last = bits + static_cast<std::ptrdiff_t>(bottom - 1) * stride;
      top[dx] = top[right - 1] = last[dx] = last[right - 1] = ink;
    } else {
      for (int y = dy; y < bottom; ++y, top += stride)
        for (int x = dx; x < right; ++x) top[x] = ink;
    }
  }
};

}  // namespace henon
