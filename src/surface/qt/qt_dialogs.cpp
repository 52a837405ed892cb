// SPDX-License-Identifier: MIT
#include "surface/qt/qt_dialogs.h"

#include <QApplication>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>

namespace henon {

namespace {

// Wide enough that the window manager shows the whole title beside its icon and buttons, whose
// font it does not tell: a bold title, and a line's height of room for each of six items.
int titleWidth(const QWidget& box) {
  QFont font = box.font();
  font.setBold(true);
  const QFontMetrics metrics(font);
  return metrics.horizontalAdvance(box.windowTitle()) + 6 * metrics.height();
}

}  // namespace

QWidget* QtDialogs::owner() const {
  QWidget* active = QApplication::activeWindow();
  return active ? active : parent_;
}

void QtDialogs::MsgBox(const std::string& prompt) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle), QString::fromStdString(prompt),
                  QMessageBox::Ok, owner());
  box.setObjectName("MsgBox");
  // The message box fixes its own size from its layout, so the width goes into the layout.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
    grid->addItem(new QSpacerItem(titleWidth(box), 0), grid->rowCount(), 0, 1, grid->columnCount());
  box.exec();
}

std::string QtDialogs::InputBox(const std::string& prompt, const std::string& title) {
  QInputDialog box(owner());
  box.setObjectName("InputBox");
  box.setWindowTitle(QString::fromStdString(title));
  box.setLabelText(QString::fromStdString(prompt));
  box.setTextValue(QString());
  box.setMinimumWidth(titleWidth(box));
  if (box.exec() != QDialog::Accepted) return {};
  return box.textValue().toStdString();
}

}  // namespace henon
