// SPDX-License-Identifier: MIT
#include "model/histogram.h"

#include <sys/mman.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>

#include "model/map_step.h"
#include "model/numeric_text.h"
#include "model/vector_state.h"
#include "surface/dialogs.h"

namespace henon {
namespace {

constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;

// The answer as a whole number, or empty after telling the user why not.
std::optional<std::int32_t> askInt(Dialogs& dialogs, const char* prompt, const char* title,
                                   const char* notNumeric) {
  std::string answer = dialogs.InputBox(prompt, title);
  auto value = toDouble(answer);
  if (!value) {
    dialogs.MsgBox(notNumeric);
    return std::nullopt;
  }
  auto whole = toInt32(*value);
  if (!whole) {
    dialogs.MsgBox("Invalid number.");
    return std::nullopt;
  }
  return whole;
}

}  // namespace

void enterM(HistoState& h, Dialogs& dialogs) {
  auto m =
      askInt(dialogs, "Enter number of bins m, then click OK", "Input m", "Enter a valid number");
  h.m = m.value_or(0);
  if (m && (*m <= 0 || *m > kMaxBins)) {
    dialogs.MsgBox("Invalid number.");
    h.m = 0;
  }
}

void enterMaxN(HistoState& h, Dialogs& dialogs) {
  auto maxN = askInt(dialogs, "Enter maximum n value to show in the histogram, then click OK",
                     "Enter maximum y", "Invalid value");
  if (!maxN) {
    h.m = 0;
    return;
  }
  h.maxN = *maxN;
  if (h.maxN <= 0) {
    dialogs.MsgBox("Invalid number.");
    h.m = 0;
  }
}

void* mapTallyMemory(std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (bytes >= kHuge) {
    const std::size_t size = (bytes + kHuge - 1) & ~(kHuge - 1);
    // A huge page more than needed, trimmed on both sides to huge-page boundaries.
    void* mapped =
        mmap(nullptr, size + kHuge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const auto from = (start + kHuge - 1) & ~(kHuge - 1);
    if (from > start) munmap(mapped, from - start);
    munmap(reinterpret_cast<void*>(from + size), start + kHuge - from);
    madvise(reinterpret_cast<void*>(from), size, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(from);
  }
#endif
  return ::operator new(bytes);
}

void unmapTallyMemory(void* p, std::size_t bytes) noexcept {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (bytes >= kHuge) {
    munmap(p, (bytes + kHuge - 1) & ~(kHuge - 1));
    return;
  }
#endif
  ::operator delete(p);
}

void setBinWidths(HistoState& h, const MapParams& p) {
  h.xBinWidth = (p.xtr - p.xbl) / h.m;
  h.yBinWidth = (p.ytr - p.ybl) / h.m;
}

namespace {

// Chunks of a fraction of a millisecond: the pacer's clock is read once per chunk.
constexpr std::int32_t kChunk = 1 << 16;
// A value's count is added to kAhead steps after its bin is found and its count fetched, so that
// with millions of bins many fetches are on their way at once, beside the orbit's chain.
constexpr std::int32_t kAhead = 32;  // a power of two: the ring's slot is a mask
// The most bytes one chunk can wrap: one per add of the chunk, and the adds still in flight.
constexpr std::size_t kWrapRoom = kChunk + kAhead;
// Counts as large as this are written past the caches: the drawing reads them once, in order.
constexpr std::size_t kStreamedCounts = std::size_t{1} << 18;

// Room for size elements, the old block given back first.
template <class Vector>
void reserveAfresh(Vector& v, std::size_t size) {
  if (v.capacity() >= size) return;
  Vector().swap(v);
  v.reserve(size);
}

// The bytes as whole counts.
void widen(const std::uint8_t* low, std::int32_t* out, std::size_t n) {
  std::size_t k = 0;
#if defined(__SSE2__)
  if (n >= kStreamedCounts) {
    for (; reinterpret_cast<std::uintptr_t>(out + k) % 16 != 0; ++k) out[k] = low[k];
    const __m128i zero = _mm_setzero_si128();
    for (; k + 16 <= n; k += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(low + k));
      const __m128i lo = _mm_unpacklo_epi8(v, zero), hi = _mm_unpackhi_epi8(v, zero);
      auto* to = reinterpret_cast<__m128i*>(out + k);
      _mm_stream_si128(to, _mm_unpacklo_epi16(lo, zero));
      _mm_stream_si128(to + 1, _mm_unpackhi_epi16(lo, zero));
      _mm_stream_si128(to + 2, _mm_unpacklo_epi16(hi, zero));
      _mm_stream_si128(to + 3, _mm_unpackhi_epi16(hi, zero));
    }
    _mm_sfence();
  }
#endif
  for (; k < n; ++k) out[k] = low[k];
}

}  // namespace

void ByteTally::start(std::int32_t m) {
  const auto bins = static_cast<std::size_t>(m) + 2;
  reserveAfresh(bytes_, bins);
  bytes_.assign(bins, 0);
  log_.resize(2 * kWrapRoom);
  logged_ = 0;
  folded_ = false;
}

ByteTally::Chunk ByteTally::open(HistoCounts& counts) {
  if (log_.size() - logged_ < kWrapRoom) {
    if (!folded_) std::fill(counts.begin(), counts.end(), 0);
    folded_ = true;
    addLog(counts);
  }
  return {bytes_.data(), log_.data() + logged_};
}

void ByteTally::close(Chunk chunk) {
  logged_ = static_cast<std::size_t>(chunk.log_ - log_.data());
}

void ByteTally::finish(HistoCounts& counts) {
  if (folded_) {
    for (std::size_t k = 0; k < counts.size(); ++k) counts[k] += bytes_[k];
  } else {
    widen(bytes_.data(), counts.data(), counts.size());
  }
  addLog(counts);
}

void ByteTally::addLog(HistoCounts& counts) {
  for (std::size_t i = 0; i < logged_; ++i) {
    const auto k = static_cast<std::size_t>(log_[i]);
    if (k < counts.size()) counts[k] += 256;  // the bin past them all is not kept
  }
  logged_ = 0;
}

namespace {

// The bins of a step's x and y at once, each lane as binIndex finds it (m + 1 for none): the guess
// and the edges it is checked against are the same operations, two at a time.
class BinPair {
 public:
  BinPair(double xLow, double xW, double yLow, double yW, std::int32_t m)
      : xLow_(xLow), xW_(xW), yLow_(yLow), yW_(yW), m_(m) {
#if defined(__SSE2__)
    low_ = _mm_set_pd(yLow, xLow);
    w_ = _mm_set_pd(yW, xW);
    per_ = _mm_set_pd(1 / yW, 1 / xW);
    first_ = _mm_set_pd(yLow + yW * 0, xLow + xW * 0);
    end_ = _mm_set_pd(yLow + yW * (m + 1.0), xLow + xW * (m + 1.0));
    last_ = _mm_set1_pd(m);
#endif
  }

  void find(double x, double y, std::int32_t& kx, std::int32_t& ky) const {
#if defined(__SSE2__)
    const __m128d v = _mm_set_pd(y, x);
    // Outside the bins a lane's guess may be anything; its bin is m + 1 whatever it is.
    const __m128d inside = _mm_and_pd(_mm_cmpge_pd(v, first_), _mm_cmplt_pd(v, end_));
    const __m128d guess = _mm_min_pd(_mm_mul_pd(_mm_sub_pd(v, low_), per_), last_);
    const __m128i k = _mm_cvttpd_epi32(guess);
    const __m128d kd = _mm_cvtepi32_pd(k);
    const __m128d below = _mm_add_pd(low_, _mm_mul_pd(w_, kd));
    const __m128d above = _mm_add_pd(low_, _mm_mul_pd(w_, _mm_add_pd(kd, _mm_set1_pd(1))));
    const __m128d holds = _mm_and_pd(_mm_cmple_pd(below, v), _mm_cmplt_pd(v, above));
    if (__builtin_expect(_mm_movemask_pd(_mm_and_pd(inside, holds)) == 3, 1)) {
      const auto both = static_cast<std::uint64_t>(_mm_cvtsi128_si64(k));
      kx = static_cast<std::int32_t>(both);
      ky = static_cast<std::int32_t>(both >> 32);
      return;
    }
#endif
    kx = binIndex(x, xLow_, xW_, m_);
    ky = binIndex(y, yLow_, yW_, m_);
    kx = kx < 0 ? m_ + 1 : kx;
    ky = ky < 0 ? m_ + 1 : ky;
  }

 private:
  double xLow_, xW_, yLow_, yW_;
  std::int32_t m_;
#if defined(__SSE2__)
  __m128d low_, w_, per_, first_, end_, last_;
#endif
};

void countOrbit(HistoState& h, const MapParams& p, Pacer* pacer) {
  const std::int32_t m = h.m;
  const BinPair bins(p.xbl, h.xBinWidth, p.ybl, h.yBinWidth, m);
  // Values outside the bins are counted past them, without a branch.
  const std::int32_t outside = m + 1;
  std::int32_t xBins[kAhead], yBins[kAhead];
  std::fill_n(xBins, kAhead, outside);
  std::fill_n(yBins, kAhead, outside);
  double x = p.x0;
  double y = p.y0;
  const std::int32_t n = p.N;
  for (std::int32_t done = 0;;) {
    const std::int32_t end = n - done > kChunk ? done + kChunk : n;
    ByteTally::Chunk xAdds = h.xTally.open(h.xCount);
    ByteTally::Chunk yAdds = h.yTally.open(h.yCount);
    const auto add = [&](std::int32_t j) {
      xAdds.add(xBins[j]);
      yAdds.add(yBins[j]);
    };
    cleanVectorState();  // the pacer may have left it dirty
    for (; done < end; ++done) {
      // The orbit's own step: a * x and x * a round alike.
      const auto [xNew, yNew] = mapStep(p.a, p.b, x, y);
      std::int32_t kx, ky;
      bins.find(xNew, yNew, kx, ky);
      xAdds.prefetch(kx);
      yAdds.prefetch(ky);
      const std::int32_t j = done & (kAhead - 1);
      add(j);
      xBins[j] = kx;
      yBins[j] = ky;
      x = xNew;
      y = yNew;
      // Once x is no longer finite no later value of x or y can be finite again.
      if (!std::isfinite(x)) break;
    }
    const bool last = done < end || done >= n;
    // The counts still in flight, within the last chunk's room.
    if (last)
      for (std::int32_t j = 0; j < kAhead; ++j) add(j);
    h.xTally.close(xAdds);
    h.yTally.close(yAdds);
    if (last) break;
    if (pacer && pacer->due()) pacer->breathe();
  }
}

}  // namespace

void collectHisto(HistoState& h, const MapParams& p, Pacer* pacer) {
  const std::int32_t m = h.m;
  const auto bins = static_cast<std::size_t>(m) + 1;
  reserveAfresh(h.xCount, bins);
  reserveAfresh(h.yCount, bins);
  // Every count is written when the tallies finish.
  h.xCount.resize(bins);
  h.yCount.resize(bins);
  h.xTally.start(m);
  h.yTally.start(m);
  setBinWidths(h, p);
  // An empty or inverted window has no bins to count into.
  if (h.xBinWidth > 0 && h.yBinWidth > 0) countOrbit(h, p, pacer);
  h.xTally.finish(h.xCount);
  h.yTally.finish(h.yCount);
}

}  // namespace henon
