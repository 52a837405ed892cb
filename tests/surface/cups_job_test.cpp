// SPDX-License-Identifier: MIT
#include "surface/cups/cups_job.h"

#include <gtest/gtest.h>

namespace henon {
namespace {

// A print that ended after reaching `stage`, then had `then` done to it.
template <typename Then>
PrintResult upTo(int stage, Then then) {
  PrintProgress p;
  for (int s = 0; s <= stage; ++s) EXPECT_TRUE(p.reach(static_cast<PrintStage>(s)));
  then(p);
  p.end();
  return p.result();
}

PrintResult upTo(int stage) {
  return upTo(stage, [](PrintProgress&) {});
}

TEST(CupsJob, EveryStageOfAJobHasItsResult) {
  // A server that does not answer, no default printer, a queue that refuses jobs.
  EXPECT_EQ(upTo(0), PrintResult::kDeviceUnavailable);
  EXPECT_EQ(upTo(1), PrintResult::kDeviceUnavailable);
  EXPECT_EQ(upTo(2), PrintResult::kDeviceUnavailable);
  EXPECT_EQ(upTo(3), PrintResult::kFailed);  // no page
  EXPECT_EQ(upTo(4), PrintResult::kFailed);  // job not created
  EXPECT_EQ(upTo(5), PrintResult::kDeviceIO);
  EXPECT_EQ(upTo(6), PrintResult::kFailed);  // the page was refused
  EXPECT_EQ(upTo(7), PrintResult::kFailed);  // cancelled or aborted once released
  EXPECT_EQ(upTo(8), PrintResult::kOk);

  // A server that stops answering part way is unavailable, whatever it said before.
  EXPECT_EQ(upTo(6, [](PrintProgress& p) { EXPECT_TRUE(p.giveUp()); }),
            PrintResult::kDeviceUnavailable);
  EXPECT_EQ(upTo(8, [](PrintProgress& p) { p.refuse(); }), PrintResult::kDeviceUnavailable);
}

TEST(CupsJob, AReleasedJobIsNeverGivenUpAndAGivenUpOneNeverReleased) {
  PrintProgress released;
  EXPECT_TRUE(released.reach(PrintStage::kReleased));
  EXPECT_FALSE(released.giveUp());
  EXPECT_FALSE(released.givenUp());

  PrintProgress held;
  EXPECT_TRUE(held.reach(PrintStage::kPageSent));
  EXPECT_TRUE(held.giveUp());
  EXPECT_FALSE(held.reach(PrintStage::kReleased));
  EXPECT_EQ(held.stage(), PrintStage::kPageSent);
  held.end();
  EXPECT_TRUE(held.givenUp());
  EXPECT_FALSE(held.ended());

  PrintProgress ended;
  ended.end();
  EXPECT_FALSE(ended.giveUp());
}

}  // namespace
}  // namespace henon
