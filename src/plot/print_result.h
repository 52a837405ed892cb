// SPDX-License-Identifier: MIT
// How a print ended. The failures keep the platform's error numbers, by which the message is
// chosen. No includes, so the printing binding can report results without the plot layer.
#pragma once

namespace henon {

enum class PrintResult : int {
  kOk = 0,
  kDeviceIO = 57,
  kDeviceUnavailable = 68,
  kFailed = 482,  // any other failure
};

}  // namespace henon
