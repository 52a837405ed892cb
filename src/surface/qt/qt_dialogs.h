// SPDX-License-Identifier: MIT
// The modal message box and input box, titled with the application's name.
#pragma once

#include <QWidget>

#include "surface/dialogs.h"

namespace henon {

class QtDialogs : public Dialogs {
 public:
  // Boxes centre on the active window; the parent is the fallback.
  explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }

  void MsgBox(const std::string& prompt) override;
  std::string InputBox(const std::string& prompt, const std::string& title) override;

 private:
  QWidget* owner() const;
  QWidget* parent_;
};

}  // namespace henon
