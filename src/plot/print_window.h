// Sending a window to the default printer, and saying in plain words why that failed.
#pragma once

#include <string>

#include "surface/drawing_surface.h"

namespace henon {

inline constexpr int kPrintOk = 0;
inline constexpr int kErrDeviceIO = 57;
inline constexpr int kErrDeviceUnavailable = 68;
inline constexpr int kErrPrintFailed = 482;  // any other failure

class PrintableWindow {
 public:
  virtual ~PrintableWindow() = default;
  // Prints the client area as shown; kPrintOk or an error number.
  virtual int PrintForm() = 0;
};

std::string printErrorMessage(int errorNumber);
void printWindow(PrintableWindow& window, Dialogs& dialogs);

}  // namespace henon
