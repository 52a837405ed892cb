// SPDX-License-Identifier: MIT
#include "model/histogram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <numeric>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "support/recording_surface.h"

namespace henon {
namespace {

using Counts = HistoCounts;
using Messages = std::vector<std::string>;

// The bisection as first described: recursive, branching on each edge.
std::int32_t referenceBin(double v, double low, double w, std::int32_t lo, std::int32_t hi) {
  std::int32_t mid = lo + (hi - lo) / 2;
  if (v < low + w * mid) return referenceBin(v, low, w, lo, mid);
  if (v >= low + w * (mid + 1)) return referenceBin(v, low, w, mid + 1, hi);
  return mid;
}

TEST(Histogram, CountsTheDefaultOrbit) {
  HistoState h;
  h.m = 4;
  MapParams p = kDefaultParams;
  p.N = 10;
  collectHisto(h, p);
  EXPECT_EQ(h.xCount, (Counts{0, 2, 6, 2, 0}));
  EXPECT_EQ(h.yCount, (Counts{0, 2, 8, 0, 0}));
  EXPECT_EQ(h.xBinWidth, 1.0);
  EXPECT_EQ(h.yBinWidth, 0.5);

  // Inside the window every iterate is counted once per coordinate; counts never survive a run.
  h.m = 37;
  p.N = 5000;
  collectHisto(h, p);
  EXPECT_EQ(std::accumulate(h.xCount.begin(), h.xCount.end(), 0), 5000);
  EXPECT_EQ(std::accumulate(h.yCount.begin(), h.yCount.end(), 0), 5000);
  EXPECT_EQ(h.xCount.size(), 38u);

  // A count that was refused can be stored as it was typed: none or fewer count nothing.
  for (std::int32_t n : {0, -1, -2147483647}) {
    p.N = n;
    collectHisto(h, p);
    EXPECT_EQ(std::accumulate(h.xCount.begin(), h.xCount.end(), 0), 0) << n;
  }
}

TEST(Histogram, PacerGetsTurnsBetweenChunksWithoutChangingTheCounts) {
  HistoState plain, paced;
  plain.m = paced.m = 50;
  MapParams p = kDefaultParams;
  p.N = 300000;
  collectHisto(plain, p);
  int turns = 0;
  Pacer always([&] { ++turns; }, Pacer::Clock::duration::zero());
  collectHisto(paced, p, &always);
  EXPECT_EQ(paced.xCount, plain.xCount);
  EXPECT_EQ(paced.yCount, plain.yCount);
  EXPECT_GE(turns, 2);
  EXPECT_LT(turns, 100);  // between chunks, never per iterate
}

TEST(Histogram, BinsAreHalfOpenAndMatchTheRecursiveSearch) {
  const double low = -2, w = 0.4;
  const std::int32_t m = 10;
  EXPECT_EQ(binIndex(-2, low, w, m), 0);
  EXPECT_EQ(binIndex(low + w * 2, low, w, m), 2);
  EXPECT_EQ(binIndex(std::nextafter(low + w * 2, -10), low, w, m), 1);
  EXPECT_EQ(binIndex(2.1, low, w, m), m);  // just past xtr: counted, never drawn
  EXPECT_EQ(binIndex(low + w * 11, low, w, m), -1);
  EXPECT_EQ(binIndex(-2.0001, low, w, m), -1);
  EXPECT_EQ(binIndex(std::numeric_limits<double>::quiet_NaN(), low, w, m), -1);
  EXPECT_EQ(binIndex(-std::numeric_limits<double>::infinity(), low, w, m), -1);
  for (std::int32_t mm : {1, 2, 3, 7, 100, 1023, 1024, 99999}) {
    const double ww = 4.0 / mm;
    for (int k = 0; k < 3000; ++k) {
      const double v = -2 + (4.0 + ww) * k / 2999.0 * 0.99999;
      ASSERT_EQ(binIndex(v, -2, ww, mm), referenceBin(v, -2, ww, 0, mm)) << mm << " " << v;
      const double edge = -2 + ww * (k % (mm + 1));
      ASSERT_EQ(binIndex(edge, -2, ww, mm), referenceBin(edge, -2, ww, 0, mm)) << mm;
    }
  }
}

// Every count as the bisection finds it: few and many bins, most values outside, fewer steps than
// counts in flight, an orbit that runs off to infinity, and a cycle of four points whose counts
// pass 256 so often that the wraps are folded in while it runs.
TEST(Histogram, CountsAsTheBisection) {
  struct Case {
    std::int32_t m, n;
    double x0 = 0.5, xbl = -2, xtr = 2, a = 1.4, b = 0.3, y0 = 0.5;
  };
  HistoState h;  // one state throughout: nothing may carry over from the case before
  for (const Case& c : {Case{1, 100000}, Case{997, 100000}, Case{10'000'000, 200000},
                        Case{50000, 100000, 0.5, 0.1, 0.3}, Case{100, 5}, Case{100, 1000, 3},
                        Case{8, 20'000'000, 0.5, -2, 2, 0, -1, 0.25}, Case{3, 1000}}) {
    h.m = c.m;
    MapParams p{c.a, c.b, c.x0, c.y0, c.xbl, -1, c.xtr, 1, c.n};
    collectHisto(h, p);
    Counts x(c.m + 1), y(c.m + 1);
    const auto count = [&](Counts& counts, double v, double low, double w) {
      if (v >= low && v < low + w * (c.m + 1.0)) ++counts[referenceBin(v, low, w, 0, c.m)];
    };
    for (double xi = p.x0, yi = p.y0, i = 0; i < p.N && std::isfinite(xi); ++i) {
      std::tie(xi, yi) = std::pair((1 + yi) - (p.a * xi) * xi, p.b * xi);
      count(x, xi, p.xbl, (p.xtr - p.xbl) / c.m);
      count(y, yi, p.ybl, (p.ytr - p.ybl) / c.m);
    }
    EXPECT_TRUE(h.xCount == x && h.yCount == y) << c.m << " " << c.n;
  }
}

// Tally memory of any size holds what is written to its last byte, and a large block starts on a
// huge-page boundary, where the system can back it with huge pages.
TEST(Histogram, TallyMemoryHoldsItsWholeLength) {
  constexpr std::size_t kHuge = std::size_t{2} << 20;
  for (std::size_t bytes : {std::size_t{1}, kHuge - 1, kHuge, kHuge + 1, 5 * kHuge + 3}) {
    TallyAllocator<std::uint8_t> memory;
    std::uint8_t* p = memory.allocate(bytes);
    std::fill_n(p, bytes, std::uint8_t{0xa5});
    EXPECT_EQ(p[0] + p[bytes - 1], 2 * 0xa5) << bytes;
#if defined(__linux__)
    if (bytes >= kHuge) {
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % kHuge, 0u) << bytes;
    }
#endif
    memory.deallocate(p, bytes);
  }
}

TEST(Histogram, ValuesOutsideTheBinsAndEmptyWindowsAreNotCounted) {
  HistoState h;
  h.m = 4;
  MapParams p = kDefaultParams;
  p.xbl = -0.5;
  p.xtr = 0.5;  // most x values fall outside
  collectHisto(h, p);
  EXPECT_LT(std::accumulate(h.xCount.begin(), h.xCount.end(), 0), 1000);

  p = kDefaultParams;
  p.xbl = p.xtr = 1;  // stored by a rejected read
  collectHisto(h, p);
  EXPECT_EQ(h.xCount, Counts(5, 0));
  EXPECT_EQ(h.yCount, Counts(5, 0));

  // An orbit that runs off to infinity ends the counting at once, not after 2^31 - 1 steps of
  // NaN: the pacer, asked after every chunk, must never get a turn, and stops a run that goes on.
  p = kDefaultParams;
  p.x0 = 10;
  p.N = 2147483647;
  int turns = 0;
  Pacer stopper(
      [&] {
        if (++turns > 2) throw std::runtime_error("still counting");
      },
      Pacer::Clock::duration::zero());
  EXPECT_NO_THROW(collectHisto(h, p, &stopper));
  EXPECT_EQ(turns, 0);
  EXPECT_EQ(std::accumulate(h.xCount.begin(), h.xCount.end(), 0), 0);
}

struct Entries : ::testing::Test {
  HistoState h;
  ScriptedDialogs dialogs;
  void answer(std::initializer_list<const char*> replies) {
    for (const char* r : replies) dialogs.answers.emplace_back(r);
  }
};

TEST_F(Entries, NumberOfBins) {
  answer({"2.5"});
  enterM(h, dialogs);
  EXPECT_EQ(h.m, 2);
  EXPECT_EQ(dialogs.prompts.at(0), "Enter number of bins m, then click OK");
  EXPECT_EQ(dialogs.titles.at(0), "Input m");
  answer({"3.5"});
  enterM(h, dialogs);
  EXPECT_EQ(h.m, 4);
  EXPECT_TRUE(dialogs.messages.empty());

  for (const char* bad : {"0", "-3", "3e9", "10000001"}) {
    h.m = 5;
    answer({bad});
    enterM(h, dialogs);
    EXPECT_EQ(h.m, 0) << bad;
    EXPECT_EQ(dialogs.messages.back(), "Invalid number.") << bad;
  }
  for (const char* bad : {"abc", "", " "}) {
    h.m = 5;
    answer({bad});
    enterM(h, dialogs);
    EXPECT_EQ(h.m, 0) << bad;
    EXPECT_EQ(dialogs.messages.back(), "Enter a valid number") << bad;
  }
  answer({"10000000"});
  enterM(h, dialogs);
  EXPECT_EQ(h.m, 10000000);
}

TEST_F(Entries, MaximumCount) {
  h.m = 4;
  answer({"20"});
  enterMaxN(h, dialogs);
  EXPECT_EQ(h.maxN, 20);
  EXPECT_EQ(h.m, 4);
  EXPECT_EQ(dialogs.prompts.at(0), "Enter maximum n value to show in the histogram, then click OK");
  EXPECT_EQ(dialogs.titles.at(0), "Enter maximum y");

  answer({"0"});
  enterMaxN(h, dialogs);
  EXPECT_EQ(h.m, 0);
  EXPECT_EQ(h.maxN, 0);
  EXPECT_EQ(dialogs.messages, (Messages{"Invalid number."}));

  h.m = 4;
  answer({""});  // cancelled
  enterMaxN(h, dialogs);
  EXPECT_EQ(h.m, 0);
  EXPECT_EQ(h.maxN, 0);
  EXPECT_EQ(dialogs.messages.back(), "Invalid value");
}

}  // namespace
}  // namespace henon
