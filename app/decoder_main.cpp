#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <iostream>

#include "app/app_shell.h"
#include "app/decoder_command_line.h"
#include "ui/log_file_dialog.h"
#include "ui/main_window.h"

int main(int argc, char* argv[]) {
  // Read before Qt starts, which needs a display: --help and --version must work without one.
  twk::DecoderCommandLine line =
      twk::readDecoderCommandLine({argv, argv + argc}, std::cout, std::cerr);
  if (line.exitStatus) return *line.exitStatus;

  // Qt gets only its own options, and keeps their addresses while the application lives.
  std::vector<char*> qtArgv;
  for (std::string& argument : line.qtArguments) qtArgv.push_back(argument.data());
  qtArgv.push_back(nullptr);
  int qtArgc = static_cast<int>(line.qtArguments.size());
  QApplication app(qtArgc, qtArgv.data());
  // Ties the windows to the desktop entry twk-decoder.desktop, so that desktops show its icon
  // and name for them and group them under it.
  QApplication::setDesktopFileName(QStringLiteral("twk-decoder"));
  twk::MainWindow window;
  auto* shell = new twk::AppShell(window, twk::logFileDialog(&window),
                                  QCoreApplication::applicationDirPath());
  window.fitToScreen();
  window.restorePlace();
  window.show();
  if (!line.logs.empty()) {
    QStringList logs;
    for (const std::string& log : line.logs) logs += QFile::decodeName(log.c_str());
    shell->openLogsWhenShown(logs);
  }
  return QApplication::exec();
}
