// Cost of drawing an orbit: the same steps with and without pixels, and the memory they take.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QScreen>
#include <cstdint>
#include <string>

#include "model/orbit.h"
#include "model/vector_state.h"
#include "plot/axes.h"
#include "plot/frames.h"
#include "surface/qt/qt_surface.h"

namespace {

using henon::CutOffLimits;
using henon::MapParams;
using henon::PlotFrame;

class CountingDialogs : public henon::Dialogs {
 public:
  void MsgBox(const std::string&) override { ++messages; }
  std::string InputBox(const std::string&, const std::string&) override { return {}; }
  int messages = 0;
};

// Takes the points and drops them, so only the staging is left to pay for.
class NullSurface : public henon::DrawingSurface {
 public:
  NullSurface(double width, double height) : width_(width), height_(height) {}
  void Cls() override {}
  void PSet(double, double) override {}
  void PSetMany(std::span<const henon::Point>) override {}
  void Line(double, double, double, double, bool) override {}
  void Print(const std::string&) override {}
  double TextWidth(const std::string&) const override { return 0; }
  double TextHeight(const std::string&) const override { return 0; }
  double ScaleWidth() const override { return width_; }
  double ScaleHeight() const override { return height_; }

 private:
  double width_, height_;
};

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
  return {1.4, 0.3, 0.5, 0.5, -2, -1, 2, 1, n};
}

// kDirty leaves the vector registers as Cls and the axes left them, which is how Plot runs.
enum class Before { kClean, kDirty };

void runOrbit(benchmark::State& state, henon::DrawingSurface& surface, bool drawn,
              Before before = Before::kClean) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  PlotFrame frame;
  henon::setFrameForm1(frame, surface);
  CountingDialogs dialogs;
  for (auto _ : state) {
    MapParams p = defaultParams(n);
    // What Plot does before the orbit, untimed.
    state.PauseTiming();
    QApplication::processEvents();
    surface.Cls();
    henon::plotAxes2D(surface, frame, p);
    if (before == Before::kClean) henon::cleanVectorState();
    state.ResumeTiming();
    if (drawn) {
      henon::plotOrbit(surface, p, CutOffLimits{}, frame, {henon::PlotMode::k2D}, dialogs);
    } else {
      henon::runOrbitUndrawn(surface, p, CutOffLimits{}, frame, dialogs);
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
  runOrbit(state, screenSurface(), true);
}

// Undrawn still maps every in-view point to the screen and back; it only skips the pixel.
void BM_OrbitBare(benchmark::State& state) {
  runOrbit(state, screenSurface(), false);
}

void BM_OrbitBareDirty(benchmark::State& state) {
  runOrbit(state, screenSurface(), false, Before::kDirty);
}

void BM_OrbitNullSurface(benchmark::State& state) {
  henon::QtSurface& qt = screenSurface();
  NullSurface null(qt.ScaleWidth(), qt.ScaleHeight());
  runOrbit(state, null, true);
}

// Meant to run alone in a fresh process: the peak covers Qt, the window and one orbit.
void BM_OrbitPeakRss(benchmark::State& state) {
  henon::QtSurface& surface = screenSurface();
  const auto n = static_cast<std::int32_t>(state.range(0));
  PlotFrame frame;
  henon::setFrameForm1(frame, surface);
  CountingDialogs dialogs;
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
BENCHMARK(BM_OrbitNullSurface)->Arg(10'000'000)->Arg(100'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OrbitPeakRss)
    ->Arg(10'000)
    ->Arg(100'000'000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
