// SPDX-License-Identifier: MIT
// How a print ended. The failures keep the platform's error numbers, by which the message is
// chosen; a surface binding reports them, and printWindow turns them into messages.
#pragma once

namespace henon {

enum class PrintResult : int {
  kOk = 0,
  kDeviceIO = 57,
  kDeviceUnavailable = 68,
  kFailed = 482,  // any other failure
};

}  // namespace henon
