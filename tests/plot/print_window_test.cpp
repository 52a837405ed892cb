// SPDX-License-Identifier: MIT
#include "plot/print_window.h"

#include <gtest/gtest.h>

#include "support/recording_surface.h"

namespace henon {
namespace {

struct FailingWindow : PrintableWindow {
  PrintResult error = PrintResult::kOk;
  int calls = 0;
  PrintResult PrintForm() override {
    ++calls;
    return error;
  }
};

TEST(PrintWindow, EachFailureEndsInExactlyOneMessage) {
  const std::pair<PrintResult, const char*> cases[] = {
      {PrintResult::kDeviceUnavailable, "Cannot print: device unavailable."},
      {PrintResult::kDeviceIO, "Cannot print: device I/O error."},
      {PrintResult::kFailed, "Cannot print. Please try again."},
      {static_cast<PrintResult>(1), "Cannot print. Please try again."},
  };
  for (auto [error, message] : cases) {
    FailingWindow w;
    ScriptedDialogs d;
    w.error = error;
    printWindow(w, d);
    EXPECT_EQ(d.messages, std::vector<std::string>{message});
    EXPECT_EQ(w.calls, 1);  // never retried
  }
  FailingWindow ok;
  ScriptedDialogs d;
  printWindow(ok, d);
  EXPECT_TRUE(d.messages.empty());
}

}  // namespace
}  // namespace henon
