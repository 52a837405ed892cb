#include "plot/print_window.h"

namespace henon {

std::string printErrorMessage(int errorNumber) {
  if (errorNumber == kErrDeviceUnavailable) return "Cannot print: device unavailable.";
  if (errorNumber == kErrDeviceIO) return "Cannot print: device I/O error.";
  return "Cannot print. Please try again.";
}

void printWindow(PrintableWindow& window, Dialogs& dialogs) {
  int err = window.PrintForm();
  if (err != kPrintOk) dialogs.MsgBox(printErrorMessage(err));
}

}  // namespace henon
