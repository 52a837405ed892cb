// SPDX-License-Identifier: MIT
// One print job for the default CUPS destination, with every wait on the server bounded, and
// what became of it. No Qt here: the page is rendered by the caller.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "plot/print_result.h"

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
  bool jobAccepted = false;   // the server took the page into the job
  bool jobFailed = false;     // canceled or aborted after submission
};

PrintResult printResult(const PrintOutcome& outcome);

// The page as a PDF for this paper; empty when it cannot be made.
using RenderPage = std::function<std::string(const CupsPaper&)>;

// Hands the page to the default destination and follows the job until it is done, held, or
// settled long enough; gives up on the server at the deadline.
PrintOutcome printOnDefaultDestination(const std::string& title, const RenderPage& render,
                                       std::chrono::steady_clock::time_point deadline);

}  // namespace henon
