// SPDX-License-Identifier: MIT
// One print job for the default CUPS destination, with every wait on the server bounded, and
// what became of it. No Qt here: the page is rendered by the caller.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <string>

#include "surface/print_result.h"

namespace henon {

// The default destination's default paper, portrait, and the resolution to render at.
struct CupsPaper {
  double widthMm = 210, heightMm = 297;
  double leftMm = 0, topMm = 0, rightMm = 0, bottomMm = 0;  // unprintable edges
  int dpi = 300;
};

// How far a job got.
struct PrintOutcome {
  bool serverAnswered = false;  // connected, and no wait ran out
  bool hasDefaultPrinter = false;
  bool acceptingJobs = false;
  bool pageRendered = false;
  bool jobCreated = false;    // the server took the job
  bool documentSent = false;  // the page reached the server
  bool jobAccepted = false;   // the server took the page into the job and let the job go
  bool jobFailed = false;     // canceled or aborted after submission
};

PrintResult printResult(const PrintOutcome& outcome);

// The page as a PDF for this paper; empty when it cannot be made.
using RenderPage = std::function<std::string(const CupsPaper&)>;

// Whether the one who asked for a print still waits for its outcome.
class PrintWait {
 public:
  // Stops waiting; false when the outcome came first.
  bool giveUp() { return settle(State::kGivenUp); }
  // The outcome is there; false when the waiting had already stopped.
  bool finish() { return settle(State::kFinished); }
  bool givenUp() const { return is(State::kGivenUp); }
  bool finished() const { return is(State::kFinished); }

 private:
  enum class State { kWaiting, kFinished, kGivenUp };
  bool settle(State to) {
    const std::lock_guard<std::mutex> hold(lock_);
    if (state_ == State::kWaiting) state_ = to;
    return state_ == to;
  }
  bool is(State s) const {
    const std::lock_guard<std::mutex> hold(lock_);
    return state_ == s;
  }
  mutable std::mutex lock_;
  State state_ = State::kWaiting;
};

// Hands the page to the default destination and follows the job until it is done, held, or
// settled long enough. At the deadline, or when the waiting stops, the print has failed: a job it
// created stays held, and is cancelled as soon as the server answers, however long that takes.
PrintOutcome printOnDefaultDestination(const std::string& title, const RenderPage& render,
                                       std::chrono::steady_clock::time_point deadline,
                                       PrintWait& wait);

}  // namespace henon
