// SPDX-License-Identifier: MIT
// Counting an orbit's x and y values into m equal bins laid across the view window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/pacer.h"
#include "model/params.h"

namespace henon {

class Dialogs;

// More bins than this would be far narrower than a pixel and their counts would take
// hundreds of megabytes.
inline constexpr std::int32_t kMaxBins = 10'000'000;

// The panel being counted and drawn: the x values on the left, the y values on the right.
enum class HistoCoord : std::int16_t { kX = 1, kY = 2 };

// The counting's large blocks are mapped on their own and asked for in huge pages before they are
// first touched: heap memory that earlier work touched stays in small pages, and every hit on
// millions of bins would then also miss the page tables.
void* mapTallyMemory(std::size_t bytes);
void unmapTallyMemory(void* p, std::size_t bytes) noexcept;

template <class T>
struct TallyAllocator {
  using value_type = T;
  TallyAllocator() = default;
  template <class U>
  TallyAllocator(const TallyAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) { return static_cast<T*>(mapTallyMemory(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) noexcept { unmapTallyMemory(p, n * sizeof(T)); }
  friend bool operator==(const TallyAllocator&, const TallyAllocator&) { return true; }
};

// A coordinate's whole counts, bins 0..m.
using HistoCounts = std::vector<std::int32_t, TallyAllocator<std::int32_t>>;

// One coordinate's counts while an orbit is counted: a byte per bin, so that millions of bins
// stay in the caches, and a log of the bins whose byte wrapped past 255. A bin's count is its
// byte, 256 for each time the log holds it, and its whole count once the log has been folded into
// those. Kept between commands only to reuse its memory.
class ByteTally {
 public:
  // Where one chunk's adds go; the counting loop holds it, so that its pointers stay in registers.
  class Chunk {
   public:
    void prefetch(std::int32_t k) const { __builtin_prefetch(bytes_ + k, 1); }
    void add(std::int32_t k) {
      if (++bytes_[k] == 0) *log_++ = k;
    }

   private:
    friend class ByteTally;
    Chunk(std::uint8_t* bytes, std::int32_t* log) : bytes_(bytes), log_(log) {}
    std::uint8_t* bytes_;
    std::int32_t* log_;
  };

  // Bins 0..m, and m + 1 for every value outside them, all at 0.
  void start(std::int32_t m);
  // Room in the log for every wrap one chunk can make, the log folded into the whole counts first
  // when it has less left.
  Chunk open(HistoCounts& counts);
  void close(Chunk chunk);
  // The whole counts of bins 0..m; the bin past them is not kept.
  void finish(HistoCounts& counts);

 private:
  void addLog(HistoCounts& counts);

  std::vector<std::uint8_t, TallyAllocator<std::uint8_t>> bytes_;
  std::vector<std::int32_t> log_;
  std::size_t logged_ = 0;  // the entries of log_ that are meant
  bool folded_ = false;     // the whole counts hold earlier wraps
};

struct HistoState {
  std::int32_t m = 0;  // 0 marks a rejected entry
  HistoCounts xCount;
  HistoCounts yCount;
  double xBinWidth = 0;
  double yBinWidth = 0;
  std::int32_t maxN = 0;
  HistoCoord histoCoord = HistoCoord::kX;
  ByteTally xTally, yTally;
};

void enterM(HistoState& h, Dialogs& dialogs);
void enterMaxN(HistoState& h, Dialogs& dialogs);
// A pacer, when given, gets its turns between chunks of the orbit.
void collectHisto(HistoState& h, const MapParams& params, Pacer* pacer = nullptr);
// The bin widths collectHisto sets, (xtr - xbl) / m and (ytr - ybl) / m.
void setBinWidths(HistoState& h, const MapParams& params);

// Finds the bin by bisection over the edges; meant for values already known to lie in the bins.
inline std::int32_t searchBin(double v, double low, double w, std::int32_t m) {
  // Branch-free: an orbit is chaotic, so a branch per level would mispredict.
  std::int32_t lo = 0;
  std::int32_t len = m + 1;
  while (len > 1) {
    std::int32_t half = len / 2;
    lo += half * static_cast<std::int32_t>(v >= low + w * static_cast<double>(lo + half));
    len -= half;
  }
  return lo;
}

// The bin k in 0..m with low + w*k <= v < low + w*(k+1), or -1 when v lies outside them all.
// perWidth, 1/w, only proposes a bin; the edges as written above decide.
inline std::int32_t binIndex(double v, double low, double w, std::int32_t m, double perWidth) {
  if (!(v >= low + w * 0 && v < low + w * (static_cast<double>(m) + 1))) return -1;
  // Past the test above low and w are finite, w > 0 and v - low >= 0, so the guess is a
  // non-negative number or NaN; clamping first keeps the conversion defined.
  const double guess = (v - low) * perWidth;
  const std::int32_t k = guess < static_cast<double>(m) ? static_cast<std::int32_t>(guess) : m;
  if (low + w * static_cast<double>(k) <= v && v < low + w * (static_cast<double>(k) + 1)) return k;
  // Rounding put v next to an edge, or the edges are coarser than w (huge low, tiny w).
  return searchBin(v, low, w, m);
}

inline std::int32_t binIndex(double v, double low, double w, std::int32_t m) {
  return binIndex(v, low, w, m, 1 / w);
}

}  // namespace henon
