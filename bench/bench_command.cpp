// SPDX-License-Identifier: MIT
// Click to picture: a menu command as the user triggers it, on the started program's offscreen
// windows, from the click until the window has repainted.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <cstdint>
#include <string>

#include "support/recording_surface.h"
#include "windows/form1.h"
#include "windows/form2.h"
#include "windows/forms.h"

namespace {

struct Program {
  henon::ScriptedDialogs dialogs;
  henon::PlainWindowSystem windowSystem;
  henon::Forms forms{dialogs, windowSystem, [] {}};
  Program() {
    forms.Main();
    QApplication::processEvents();
  }
};

Program& program() {
  static auto* p = new Program;
  return *p;
}

// Found by object name, as a user finds them by caption, so the bench follows the program.
void trigger(QWidget& window, const char* item) {
  window.findChild<QAction*>(item)->trigger();
}

enum class Command { k2D, k1D, kHisto };

void runCommand(benchmark::State& state, Command command) {
  Program& prog = program();
  henon::Form1& form1 = prog.forms.form1();
  const auto n = state.range(0);
  form1.findChild<QLineEdit*>("Text2_8")->setText(QString::number(n));
  // The histogram counts with the parameters the last plot read, as it does for the user.
  if (command == Command::kHisto) trigger(form1, "mnuPlot");
  for (auto _ : state) {
    state.PauseTiming();
    QApplication::processEvents();
    prog.dialogs.messages.clear();
    if (command == Command::kHisto) {
      prog.dialogs.answers = {std::to_string(state.range(1)), std::to_string(n / 20)};
    }
    state.ResumeTiming();
    switch (command) {
      case Command::k2D:
        trigger(form1, "mnuPlot");
        break;
      case Command::k1D:
        trigger(form1, "mnu1Dts");
        break;
      case Command::kHisto:
        trigger(prog.forms.form2(), "mnuHisto");
        break;
    }
    QApplication::processEvents();  // the repaint
    if (!prog.dialogs.messages.empty()) state.SkipWithError(prog.dialogs.messages.front().c_str());
  }
  state.counters["ns_per_step"] = benchmark::Counter(
      static_cast<double>(n) * 1e-9,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Command2D(benchmark::State& state) {
  runCommand(state, Command::k2D);
}
void BM_Command1D(benchmark::State& state) {
  runCommand(state, Command::k1D);
}
// N, then m; the largest count shown is N / 20.
void BM_CommandHisto(benchmark::State& state) {
  runCommand(state, Command::kHisto);
}

// The first such command after start-up, alone in a fresh process: bench/run.sh starts one process
// per repetition.
void BM_FirstCommand1D(benchmark::State& state) {
  runCommand(state, Command::k1D);
}
void BM_FirstCommandHisto(benchmark::State& state) {
  runCommand(state, Command::kHisto);
}

}  // namespace

BENCHMARK(BM_Command2D)
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Arg(100'000'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Command1D)
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Arg(100'000'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CommandHisto)
    ->Args({1'000'000, 100})
    ->Args({10'000'000, 100})
    ->Args({100'000'000, 100})
    ->Args({10'000'000, 10'000'000})
    ->Args({100'000'000, 10'000'000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstCommand1D)->Arg(1'000'000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstCommandHisto)
    ->Args({10'000'000, 10'000'000})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
