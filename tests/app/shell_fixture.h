#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollBar>
#include <QTimer>
#include <optional>

#include "app/app_shell.h"
#include "log_text.h"
#include "temp_dir.h"
#include "ui/bar_chart.h"
#include "ui/chart_picture.h"
#include "ui/eliding_label.h"
#include "ui/log_view.h"
#include "ui/main_window.h"

namespace twk::test {

// The folder of this test process's logs, removed when the process ends.
inline const TempDir& logDir() {
  static const TempDir dir;
  return dir;
}

// Writes lines, each ended by CR LF, to a log of this process and returns its path.
inline std::string writeLog(const std::string& name, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return logDir().write(name, text);
}

// A station log of twk-loggen's, made once per process.
inline std::string generatedLog(int packets, int seed) {
  const std::string path = logDir().file(std::to_string(packets) + "_" + std::to_string(seed));
  const std::string command = std::string(TWK_LOGGEN_PATH) + " --packets " +
                              std::to_string(packets) + " --seed " + std::to_string(seed) + " -o " +
                              path + ".log";
  if (!std::filesystem::exists(path + ".log") && std::system(command.c_str()) != 0) {
    throw std::runtime_error("failed: " + command);
  }
  return path + ".log";
}

// Runs action and answers every message box it shows as a user would; returns their texts.
inline QStringList answerBoxes(const std::function<void()>& action) {
  QStringList texts;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&texts] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    texts += box->text();
    box->buttons().front()->click();
  });
  poll.start(5);
  action();
  return texts;
}

// The main window and its shell as the program builds them, with a file chooser that answers
// m_choice and the CSV going to a folder of the test's own.
class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override { m_window.show(); }

  // Opens paths through "File" > "Open" as if chosen in the dialog; the boxes shown.
  QStringList open(const std::vector<std::string>& paths) {
    m_choice = QStringList();
    for (const std::string& path : paths) *m_choice += QString::fromStdString(path);
    return answerBoxes([this] { m_shell->open(); });
  }
  QStringList exportCsv() {
    return answerBoxes([this] { m_shell->writeCsvFile(); });
  }
  template <typename T = QWidget>
  T* control(const QString& name) const {
    T* found = m_window.findChild<T*>(name);
    if (found == nullptr) throw std::runtime_error("no control " + name.toStdString());
    return found;
  }
  QString text1(int n) const {
    return control<QLineEdit>(QStringLiteral("valueField(%1)").arg(n))->text();
  }
  QString label(const char* name) const { return control<QLabel>(QLatin1String(name))->text(); }
  QScrollBar* scroll() const { return control<QScrollBar>(QStringLiteral("packetScrollBar")); }
  BarChart* chart() const { return control<BarChart>(QStringLiteral("chart")); }
  int count() { return m_window.packets().count(); }
  QString logText() const { return m_window.logView().toPlainText(); }
  std::string csvPath() const { return m_dir.file("twk_telemetry.csv"); }

  TempDir m_dir;
  MainWindow m_window;
  std::optional<QStringList> m_choice;
  AppShell* m_shell = new AppShell(
      m_window, [this] { return m_choice; }, QString::fromStdString(m_dir.path().string()));
};

}  // namespace twk::test
