// SPDX-License-Identifier: MIT
#include <QApplication>
#include <memory>

#include "platform/window_system.h"
#include "platform/x11/x11_window_system.h"
#include "surface/qt/qt_dialogs.h"
#include "surface/qt/qt_printing.h"
#include "windows/form1.h"
#include "windows/forms.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Not the display name: Qt would append it to every window caption.
  QApplication::setApplicationName("henon");
  // Ties the windows to the installed desktop entry and its icon.
  QApplication::setDesktopFileName(QStringLiteral(HENON_APP_ID));
  // Only the main window's Exit or close ends the program; hidden windows never keep it alive.
  app.setQuitOnLastWindowClosed(false);
  henon::QtDialogs dialogs;
  // X11 tells frames and holds input its own way; every other platform needs nothing of that.
  std::unique_ptr<henon::WindowSystem> windowSystem = henon::openX11WindowSystem();
  if (!windowSystem) windowSystem = std::make_unique<henon::PlainWindowSystem>();
  henon::Forms forms(dialogs, *windowSystem, [] { QCoreApplication::exit(0); });
  forms.Main();
  dialogs.setParent(&forms.form1());
  const int code = QApplication::exec();
  henon::withdrawGivenUpPrints();
  return code;
}
