// SPDX-License-Identifier: MIT
#include "plot/print_window.h"

namespace henon {

std::string printErrorMessage(PrintResult result) {
  if (result == PrintResult::kDeviceUnavailable) return "Cannot print: device unavailable.";
  if (result == PrintResult::kDeviceIO) return "Cannot print: device I/O error.";
  return "Cannot print. Please try again.";
}

void printWindow(PrintableWindow& window, Dialogs& dialogs) {
  const PrintResult result = window.PrintForm();
  if (result != PrintResult::kOk) dialogs.MsgBox(printErrorMessage(result));
}

}  // namespace henon
