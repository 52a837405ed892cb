// SPDX-License-Identifier: MIT
// Cost of histogram bars narrower than a pixel: the bars alone on a full-HD surface, and the whole
// Histogram command as the menu runs it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <cstdint>
#include <deque>
#include <string>

#include "surface/batch.h"
#include "surface/qt/qt_surface.h"
#include "windows/form1.h"
#include "windows/form2.h"
#include "windows/forms.h"

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

class Answers : public henon::Dialogs {
 public:
  void MsgBox(const std::string&) override {}
  std::string InputBox(const std::string&, const std::string&) override {
    std::string a = answers.front();
    answers.pop_front();
    return a;
  }
  std::deque<std::string> answers;
};

// The default parameters with N = 10^7, m bins and a maximum count of 10^5.
void BM_HistogramCommand(benchmark::State& state) {
  Answers dialogs;
  henon::Forms forms(dialogs, [] {});
  forms.Main();
  forms.form1().Text2[8]->setText("10000000");
  // The command takes the parameters of the last plot.
  forms.form1().mnuPlot_Click();
  const std::string m = std::to_string(state.range(0));
  for (auto _ : state) {
    dialogs.answers = {m, "100000"};
    forms.form2().mnuHisto_Click();
  }
  if (forms.form2().histo().m != state.range(0) || forms.shared.params.N != 10'000'000)
    state.SkipWithError("the command was refused");
}

}  // namespace

BENCHMARK(BM_BarsDrawn)->Arg(1'000)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistogramCommand)
    ->Arg(100)
    ->Arg(10'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
