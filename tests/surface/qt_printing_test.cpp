#include "surface/qt/qt_printing.h"

#include <gtest/gtest.h>

#include "plot/print_window.h"

namespace henon {
namespace {

TEST(QtPrinting, PlatformFailuresBecomeErrorNumbers) {
  EXPECT_EQ(printErrorNumber({false, false, QPrinter::Idle}), kErrDeviceUnavailable);
  EXPECT_EQ(printErrorNumber({true, false, QPrinter::Error}), kErrDeviceIO);
  EXPECT_EQ(printErrorNumber({true, true, QPrinter::Aborted}), kErrDeviceIO);
  EXPECT_EQ(printErrorNumber({true, true, QPrinter::Error}), kErrDeviceIO);
  EXPECT_EQ(printErrorNumber({true, true, QPrinter::Idle}), kPrintOk);
}

}  // namespace
}  // namespace henon
