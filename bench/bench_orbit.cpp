// SPDX-License-Identifier: MIT
// Cost of drawing an orbit: the same steps with and without pixels, and the memory they take.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QScreen>
#include <cstdint>
#include <optional>
#include <string>

#include "model/orbit.h"
#include "model/vector_state.h"
#include "null_surface.h"
#include "orbit_undrawn.h"
#include "plot/axes.h"
#include "plot/frames.h"
#include "support/recording_surface.h"
#include "surface/qt/qt_surface.h"

namespace {

using henon::CutOffLimits;
using henon::MapParams;
using henon::NullSurface;
using henon::PlotFrame;

// One shown window filling the whole screen, made once so its backing image is paid for once.
henon::QtSurface& screenSurface() {
  static henon::QtSurface* surface = [] {
    auto* s = new henon::QtSurface;
    const QSize screen = QGuiApplication::primaryScreen()->size();
    s->resize(screen);
    s->show();
    QApplication::processEvents();
    return s;
  }();
  return *surface;
}

MapParams defaultParams(std::int32_t n) {
  MapParams p = henon::kDefaultParams;
  p.N = n;
  return p;
}

constexpr henon::OrbitStyle k2D{henon::PlotMode::k2D};

// kDirty leaves the vector registers as Cls and the axes left them, which is how Plot runs.
enum class Before { kClean, kDirty };

struct View {
  double xbl = -2, ybl = -1, xtr = 2, ytr = 1;
};

// No style: the undrawn run, which still maps every in-view point to the screen and back.
void runOrbit(benchmark::State& state, henon::DrawingSurface& surface,
              std::optional<henon::OrbitStyle> style, Before before = Before::kClean,
              View view = {}) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  PlotFrame frame;
  henon::setFrameForm1(frame, surface);
  henon::ScriptedDialogs dialogs;
  for (auto _ : state) {
    MapParams p = defaultParams(n);
    p.xbl = view.xbl;
    p.ybl = view.ybl;
    p.xtr = view.xtr;
    p.ytr = view.ytr;
    // What Plot does before the orbit, untimed.
    state.PauseTiming();
    QApplication::processEvents();
    surface.Cls();
    henon::plotAxes2D(surface, frame, p);
    if (before == Before::kClean) henon::cleanVectorState();
    state.ResumeTiming();
    if (style) {
      henon::plotOrbit(surface, p, CutOffLimits{}, frame, *style, dialogs);
    } else {
      henon::runOrbitUndrawn(p, CutOffLimits{}, frame, dialogs);
    }
    benchmark::DoNotOptimize(p);
    if (p.N != n) state.SkipWithError("the orbit escaped");
  }
  state.counters["ns_per_step"] = benchmark::Counter(
      static_cast<double>(n) * 1e-9,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["surface_w"] = surface.ScaleWidth();
  state.counters["surface_h"] = surface.ScaleHeight();
}

void BM_OrbitDrawn(benchmark::State& state) {
  runOrbit(state, screenSurface(), k2D);
}

// Undrawn still maps every in-view point to the screen and back; it only skips the pixel.
void BM_OrbitBare(benchmark::State& state) {
  runOrbit(state, screenSurface(), std::nullopt);
}

void BM_OrbitBareDirty(benchmark::State& state) {
  runOrbit(state, screenSurface(), std::nullopt, Before::kDirty);
}

// The orbit's own dependent chain, with nothing else: the step, to the screen and back, as the
// in-view path computes it, without a test, a fallback or a store.
void BM_Chain(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  PlotFrame frame;
  henon::setFrameForm1(frame, screenSurface());
  for (auto _ : state) {
    henon::cleanVectorState();
    MapParams p = defaultParams(n);
    PlotFrame f = frame;
    // Opaque, so nothing is folded that the orbit loop could not fold as well.
    benchmark::DoNotOptimize(p);
    benchmark::DoNotOptimize(f);
    const double a = p.a, b = p.b, xbl = p.xbl, xtr = p.xtr, ybl = p.ybl, ytr = p.ytr;
    const double left = f.frameLeft, right = f.frameRight, bottom = f.frameBottom, top = f.frameTop;
    double x = p.x0, y = p.y0;
    for (std::int32_t i = 0; i < n; ++i) {
      const double xNew = (1 + y) - ((x * a) * x);
      const double yNew = x * b;
      const double sy = bottom - ((bottom - top) * (ybl - yNew)) / (ybl - ytr);
      const double sx = right - ((right - left) * (xtr - xNew)) / (xtr - xbl);
      x = xtr - ((right - sx) * (xtr - xbl)) / (right - left);
      y = ybl - ((bottom - sy) * (ybl - ytr)) / (bottom - top);
    }
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(y);
  }
  state.counters["ns_per_step"] = benchmark::Counter(
      static_cast<double>(n) * 1e-9,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The orbit loop itself: every point staged and handed over, no pixel set.
void BM_Loop2D(benchmark::State& state) {
  NullSurface null(screenSurface().ScaleWidth(), screenSurface().ScaleHeight());
  runOrbit(state, null, k2D);
}
void BM_Loop1DX(benchmark::State& state) {
  NullSurface null(screenSurface().ScaleWidth(), screenSurface().ScaleHeight());
  runOrbit(state, null, henon::OrbitStyle{henon::PlotMode::k1D, henon::SeriesName::kXts});
}
void BM_Loop1DY(benchmark::State& state) {
  NullSurface null(screenSurface().ScaleWidth(), screenSurface().ScaleHeight());
  runOrbit(state, null, henon::OrbitStyle{henon::PlotMode::k1D, henon::SeriesName::kYts});
}

// A deep view: almost every step falls outside it and should cost about a bare map step.
void BM_OrbitDeep(benchmark::State& state) {
  const double w = 1e-6;
  runOrbit(state, screenSurface(), k2D, Before::kClean,
           {0.63135448 - w / 2, 0.18940634 - w / 2, 0.63135448 + w / 2, 0.18940634 + w / 2});
}

// Meant to run alone in a fresh process: the peak covers Qt, the window and one orbit.
void BM_OrbitPeakRss(benchmark::State& state) {
  henon::QtSurface& surface = screenSurface();
  const auto n = static_cast<std::int32_t>(state.range(0));
  PlotFrame frame;
  henon::setFrameForm1(frame, surface);
  henon::ScriptedDialogs dialogs;
  for (auto _ : state) {
    MapParams p = defaultParams(n);
    henon::plotOrbit(surface, p, CutOffLimits{}, frame, {henon::PlotMode::k2D}, dialogs);
    if (p.N != n) state.SkipWithError("the orbit escaped");
  }
  QApplication::processEvents();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_kib"] = static_cast<double>(usage.ru_maxrss);
  const QSize screen = QGuiApplication::primaryScreen()->size();
  state.counters["screen_w"] = screen.width();
  state.counters["screen_h"] = screen.height();
}

}  // namespace

BENCHMARK(BM_OrbitBare)->Arg(10'000'000)->Arg(100'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OrbitDrawn)->Arg(10'000'000)->Arg(100'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OrbitBareDirty)->Arg(10'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Chain)->Arg(10'000'000)->Arg(100'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Loop2D)->Arg(10'000'000)->Arg(100'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Loop1DX)->Arg(10'000'000)->Arg(100'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Loop1DY)->Arg(10'000'000)->Arg(100'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OrbitDeep)->Arg(100'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OrbitPeakRss)
    ->Arg(10'000)
    ->Arg(100'000'000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
