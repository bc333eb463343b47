#pragma once

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "app/app_shell.h"
#include "intake/log_view.h"
#include "temp_dir.h"
#include "ui/form1.h"
#include "ui/test_logs.h"

namespace twk::test {

// A telemetry line of 163 bytes, more than a packet's 151 positions hold.
inline std::string tooLongLine() {
  std::string line = telemetryLine({});
  for (int i = 0; i < 80; ++i) line += " 00";
  return line;
}

// A main window with its shell, as the program builds it, but with a file chooser that answers
// what the test put into m_choice and a CSV folder of the test's own.
class ShellTest : public ::testing::Test {
 protected:
  ShellTest()
      : m_shell(new AppShell(
            m_window,
            [this] {
              ++m_chooserCalls;
              return m_choice;
            },
            QString::fromStdString(m_dir.path().string()))) {}

  void SetUp() override { m_window.show(); }

  // Opens paths through "File" > "Open" as if chosen in the dialog.
  void open(const std::vector<std::string>& paths) {
    QStringList list;
    for (const std::string& p : paths) list += QString::fromStdString(p);
    m_choice = list;
    m_shell->MnuOpenFile_Click();
  }

  int count() { return m_window.packets().Packet_Count; }
  QStringList list2() const {
    QStringList items;
    for (int i = 0; i < m_window.List2()->count(); ++i) items += m_window.List2()->item(i)->text();
    return items;
  }
  QString label3() const { return m_window.Label3()->text(); }
  QString label2() const { return m_window.findChild<QLabel*>(QStringLiteral("Label2"))->text(); }
  QString logText() const { return m_window.RichTextBox1()->toPlainText(); }
  QScrollBar* scroll() const { return m_window.findChild<QScrollBar*>(QStringLiteral("HScroll1")); }

  TempDir m_dir;
  Form1 m_window;
  std::optional<QStringList> m_choice;
  int m_chooserCalls = 0;
  AppShell* m_shell;  // a child of m_window
};

}  // namespace twk::test
