// SPDX-License-Identifier: MIT
// Cost of binning an orbit against the bare map step it rides on.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "model/histogram.h"
#include "model/vector_state.h"

namespace {

constexpr std::int32_t kSteps = 10'000'000;

henon::MapParams histoParams() {
  henon::MapParams p = henon::kDefaultParams;
  p.N = kSteps;
  return p;
}

void BM_BareStep(benchmark::State& state) {
  const henon::MapParams p = histoParams();
  const auto steps = static_cast<std::int32_t>(state.range(0));
  for (auto _ : state) {
    henon::cleanVectorState();
    // Opaque inputs and a used result keep the whole chain of steps alive.
    double a = p.a, b = p.b, x = p.x0, y = p.y0;
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(b);
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(y);
    for (std::int32_t i = 0; i < steps; ++i) {
      double xNew = (1 + y) - (a * x) * x;
      double yNew = b * x;
      x = xNew;
      y = yNew;
    }
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(y);
  }
  state.counters["ns_per_step"] = benchmark::Counter(
      steps * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Histo(benchmark::State& state) {
  const henon::MapParams p = histoParams();
  henon::HistoState h;
  h.m = static_cast<std::int32_t>(state.range(0));
  // Counting as the command does after its first run: the counts' memory is already the
  // process's. The first command after start-up is measured on its own.
  henon::collectHisto(h, p);
  for (auto _ : state) {
    henon::cleanVectorState();
    henon::collectHisto(h, p);
    benchmark::DoNotOptimize(h.xCount.data());
    benchmark::DoNotOptimize(h.yCount.data());
    benchmark::ClobberMemory();
  }
  state.counters["ns_per_step"] = benchmark::Counter(
      kSteps * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_BareStep)->Arg(kSteps)->Arg(100'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Histo)
    ->Arg(100)
    ->Arg(10'000)
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Unit(benchmark::kMillisecond);
