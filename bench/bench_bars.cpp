// SPDX-License-Identifier: MIT
// Cost of histogram bars narrower than a pixel, alone on a full-HD surface; the whole Histogram
// command is timed with the other commands.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QScreen>
#include <cstdint>

#include "surface/batch.h"
#include "surface/qt/qt_surface.h"

namespace {

// Both panels' bars, laid out as the histogram window lays them: m bars across a frame of
// about 1700 pixels, heights from a cheap hash so that making them costs little.
void BM_BarsDrawn(benchmark::State& state) {
  const auto m = static_cast<int>(state.range(0));
  henon::QtSurface surface;
  surface.resize(QGuiApplication::primaryScreen()->size());
  const double left = 0.08 * surface.ScaleWidth(), right = 0.92 * surface.ScaleWidth();
  const double top = 0.15 * surface.ScaleHeight(), bottom = 0.95 * surface.ScaleHeight();
  const double width = (right - left) / m;
  for (auto _ : state) {
    surface.Cls();
    for (int panel = 0; panel < 2; ++panel) {
      henon::BoxBatch bars(surface);
      std::uint32_t h = 12345u + static_cast<std::uint32_t>(panel);
      for (int i = 0; i < m; ++i) {
        h = h * 1664525u + 1013904223u;
        const double count = h >> 22;
        bars.add({left + i * width, bottom - count * ((bottom - top) + 100) / 1000,
                  left + (i + 1) * width, bottom});
      }
    }
  }
  state.counters["ns_per_bar"] = benchmark::Counter(
      2.0 * m * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_BarsDrawn)->Arg(1'000)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);
