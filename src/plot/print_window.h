// SPDX-License-Identifier: MIT
// Sending a window to the default printer, and saying in plain words why that failed.
#pragma once

#include <string>

#include "surface/dialogs.h"
#include "surface/print_result.h"

namespace henon {

class PrintableWindow {
 public:
  virtual ~PrintableWindow() = default;
  // Prints the client area as shown.
  virtual PrintResult PrintForm() = 0;
};

std::string printErrorMessage(PrintResult result);
void printWindow(PrintableWindow& window, Dialogs& dialogs);

}  // namespace henon
