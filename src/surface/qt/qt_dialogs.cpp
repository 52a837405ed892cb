// SPDX-License-Identifier: MIT
#include "surface/qt/qt_dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace henon {

QWidget* QtDialogs::owner() const {
  QWidget* active = QApplication::activeWindow();
  return active ? active : parent_;
}

void QtDialogs::MsgBox(const std::string& prompt) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle), QString::fromStdString(prompt),
                  QMessageBox::Ok, owner());
  box.setObjectName("MsgBox");
  box.exec();
}

std::string QtDialogs::InputBox(const std::string& prompt, const std::string& title) {
  QInputDialog box(owner());
  box.setObjectName("InputBox");
  box.setWindowTitle(QString::fromStdString(title));
  box.setLabelText(QString::fromStdString(prompt));
  box.setTextValue(QString());
  if (box.exec() != QDialog::Accepted) return {};
  return box.textValue().toStdString();
}

}  // namespace henon
