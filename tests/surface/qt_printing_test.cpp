#include "surface/qt/qt_printing.h"

#include <gtest/gtest.h>

namespace henon {
namespace {

TEST(QtPrinting, PlatformFailuresBecomeErrorNumbers) {
  EXPECT_EQ(printResult({false, false, false, QPrinter::Idle}), PrintResult::kDeviceUnavailable);
  EXPECT_EQ(printResult({true, false, false, QPrinter::Error}), PrintResult::kDeviceIO);
  EXPECT_EQ(printResult({true, true, true, QPrinter::Aborted}), PrintResult::kDeviceIO);
  EXPECT_EQ(printResult({true, true, false, QPrinter::Error}), PrintResult::kDeviceIO);
  // Failures the printer does not explain get the general message.
  EXPECT_EQ(printResult({true, false, false, QPrinter::Idle}), PrintResult::kFailed);
  EXPECT_EQ(printResult({true, true, false, QPrinter::Idle}), PrintResult::kFailed);
  EXPECT_EQ(printResult({true, true, true, QPrinter::Idle}), PrintResult::kOk);
}

}  // namespace
}  // namespace henon
