#include "surface/qt/qt_printing.h"

#include <gtest/gtest.h>

#include "plot/print_window.h"

namespace henon {
namespace {

TEST(QtPrinting, PlatformFailuresBecomeErrorNumbers) {
  EXPECT_EQ(printErrorNumber({false, false, false, QPrinter::Idle}), kErrDeviceUnavailable);
  EXPECT_EQ(printErrorNumber({true, false, false, QPrinter::Error}), kErrDeviceIO);
  EXPECT_EQ(printErrorNumber({true, true, true, QPrinter::Aborted}), kErrDeviceIO);
  EXPECT_EQ(printErrorNumber({true, true, false, QPrinter::Error}), kErrDeviceIO);
  // Failures the printer does not explain get the general message.
  EXPECT_EQ(printErrorNumber({true, false, false, QPrinter::Idle}), kErrPrintFailed);
  EXPECT_EQ(printErrorNumber({true, true, false, QPrinter::Idle}), kErrPrintFailed);
  EXPECT_EQ(printErrorNumber({true, true, true, QPrinter::Idle}), kPrintOk);
}

}  // namespace
}  // namespace henon
