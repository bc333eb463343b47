#include <QApplication>
#include <QCoreApplication>

#include "app/app_shell.h"
#include "ui/form1.h"
#include "ui/log_file_dialog.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  // Message boxes carry the application's name, the program's file name, as their caption.
  QApplication::setDesktopFileName(QStringLiteral("twk-decoder"));
  twk::Form1 window;
  new twk::AppShell(window, twk::logFileDialog(&window), QCoreApplication::applicationDirPath());
  window.fitToScreen();
  window.show();
  return QApplication::exec();
}
