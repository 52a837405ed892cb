#include "plot/print_window.h"

#include <gtest/gtest.h>

#include "surface/recording_surface.h"

namespace henon {
namespace {

struct FailingWindow : PrintableWindow {
  int error = kPrintOk;
  int calls = 0;
  int PrintForm() override {
    ++calls;
    return error;
  }
};

TEST(PrintWindow, EachFailureEndsInExactlyOneMessage) {
  const std::pair<int, const char*> cases[] = {
      {68, "Cannot print: device unavailable."},
      {57, "Cannot print: device I/O error."},
      {482, "Cannot print. Please try again."},
      {1, "Cannot print. Please try again."},
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
