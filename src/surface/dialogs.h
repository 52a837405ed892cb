// SPDX-License-Identifier: MIT
// The modal boxes a command may open, apart from any window it draws on.
#pragma once

#include <string>

namespace henon {

// Modal boxes. Both carry the application's title and wait for the user.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual void MsgBox(const std::string& prompt) = 0;
  // The typed text; the empty text when the user cancels.
  virtual std::string InputBox(const std::string& prompt, const std::string& title) = 0;
};

inline constexpr const char* kAppTitle = "Hénon Map Explorer";

}  // namespace henon
