// SPDX-License-Identifier: MIT
// One print job for the default CUPS destination, with every wait on the server bounded, and
// how far it got. No Qt here: the page is rendered by the caller.
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

// How far a print got, in the order it gets there; each says why a print that ended there
// did not go further.
enum class PrintStage : int {
  kAsking,       // the server did not answer
  kAnswered,     // it has no default destination
  kHasPrinter,   // the destination does not accept jobs
  kAccepting,    // the page could not be made
  kRendered,     // the server took no job for it
  kCreatedHeld,  // the server holds a job, but the page did not reach it
  kPageSent,     // the server has the page, but did not take it or let the job go
  kReleased,     // the job is the server's, which cancelled or aborted it
  kDone,         // printed, or the server's for long enough
};

// A print's progress, read by the one who waits for it and by the waits on the server.
class PrintProgress {
 public:
  // The print got this far; false when the waiting had stopped first.
  bool reach(PrintStage stage);
  // The destination does not take jobs, whatever it said before.
  void refuse();
  // No more progress will come.
  void end();
  // Stops waiting; false when the print ended, or the job became the server's, first.
  bool giveUp();

  PrintStage stage() const;
  bool ended() const;
  bool givenUp() const;
  // Meaningful once ended or given up.
  PrintResult result() const;

 private:
  enum class Wait { kWaiting, kEnded, kGivenUp };
  mutable std::mutex lock_;
  PrintStage stage_ = PrintStage::kAsking;
  Wait wait_ = Wait::kWaiting;
  bool refused_ = false;
};

// The page as a PDF for this paper; empty when it cannot be made.
using RenderPage = std::function<std::string(const CupsPaper&)>;

// Hands the page to the default destination and follows the job until it is done, held, or
// settled long enough, then ends the progress. The job is held until the server has the whole
// page and is then released; at the deadline, or when the waiting stops, before the release,
// the print has failed and the held job is cancelled as soon as the server answers. Once the
// release went out the job is the server's: it is no longer given up, and silence from the
// server is no failure.
void printOnDefaultDestination(const std::string& title, const RenderPage& render,
                               std::chrono::steady_clock::time_point deadline,
                               PrintProgress& progress);

// Cancels, within that time, the jobs of prints given up on that may still be held.
void withdrawGivenUpJobs(std::chrono::milliseconds within);

}  // namespace henon
