// Builds the main window, decodes a log into it and saves the window as a PNG: the picture the
// README shows. Usage: twk-screenshot LOG PNG
#include <QApplication>
#include <QPixmap>
#include <cstdio>

#include "app/app_shell.h"
#include "core/error.h"
#include "ui/main_window.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: twk-screenshot LOG PNG\n");
    return 2;
  }
  twk::MainWindow window;
  // The menu bar as the program shows it; no command runs.
  new twk::AppShell(
      window, [] { return std::optional<QStringList>(); }, QString());
  window.show();
  std::vector<twk::Error> skipped;
  try {
    window.loadLog(args.at(1), skipped);
  } catch (const twk::Error& e) {
    std::fprintf(stderr, "twk-screenshot: %s: %s\n", e.file().c_str(), e.reason().c_str());
    return 1;
  }
  QApplication::processEvents();
  if (!window.grab().save(args.at(2), "PNG")) {
    std::fprintf(stderr, "twk-screenshot: cannot write %s\n", qPrintable(args.at(2)));
    return 1;
  }
  return 0;
}
