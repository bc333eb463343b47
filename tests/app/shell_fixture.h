#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStringList>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/app_shell.h"
#include "log_text.h"
#include "temp_dir.h"
#include "ui/form1.h"
#include "ui/log_view.h"

namespace twk::test {

// The folder of this test process's logs, removed when the process ends.
inline const TempDir& logDir() {
  static const TempDir dir;
  return dir;
}

// Writes lines (each ended with CR LF) to a file of this test process and returns its path.
inline std::string writeLog(const std::string& name, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return logDir().write(name, text);
}

// A station log of the given number of beacons written by twk-loggen, made once per process.
inline std::string generatedLog(int packets, int seed) {
  const std::string path =
      logDir().file("generated_" + std::to_string(packets) + "_" + std::to_string(seed) + ".log");
  const std::string command = std::string(TWK_LOGGEN_PATH) + " --packets " +
                              std::to_string(packets) + " --seed " + std::to_string(seed) + " -o " +
                              path;
  if (!std::filesystem::exists(path) && std::system(command.c_str()) != 0) {
    throw std::runtime_error("failed: " + command);
  }
  return path;
}

// What a user saw of one message box.
struct SeenBox {
  QString text;
  QString title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  bool applicationModal = false;
};

// Runs action and answers every message box it shows as the active modal window by pressing
// its first button, as a user would; returns what the boxes showed, in order.
inline std::vector<SeenBox> answerBoxes(const std::function<void()>& action) {
  std::vector<SeenBox> seen;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    seen.push_back({box->text(), box->windowTitle(), box->icon(), box->standardButtons(),
                    box->windowModality() == Qt::ApplicationModal});
    box->buttons().front()->click();
  });
  poll.start();
  action();
  poll.stop();
  return seen;
}

// A telemetry line of 171 bytes, more than a packet's 151 positions hold.
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

  // Opens paths through "File" > "Open" as if chosen in the dialog; returns the boxes shown.
  std::vector<SeenBox> openAnswering(const std::vector<std::string>& paths) {
    QStringList list;
    for (const std::string& p : paths) list += QString::fromStdString(p);
    m_choice = list;
    return answerBoxes([this] { m_shell->MnuOpenFile_Click(); });
  }
  void open(const std::vector<std::string>& paths) { EXPECT_TRUE(openAnswering(paths).empty()); }
  std::vector<SeenBox> exportCsv() {
    return answerBoxes([this] { m_shell->WriteCSVFile_Click(); });
  }
  // Decodes one more file into the table as a dropped file is, without a new load.
  void decode(const std::string& path) {
    m_window.Log_FileName = QString::fromStdString(path);
    m_window.Decode_TextFile();
  }
  // Drags data onto the log view and drops it there, as the window system delivers a drop;
  // returns whether the view took the drag and the boxes the drop showed.
  std::pair<bool, std::vector<SeenBox>> drop(const QMimeData& data) {
    QWidget* target = m_window.RichTextBox1()->viewport();
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    const std::vector<SeenBox> boxes = answerBoxes([&] {
      QApplication::sendEvent(target, &enter);
      QApplication::sendEvent(target, &dropped);
    });
    return {enter.isAccepted() && dropped.isAccepted(), boxes};
  }

  template <typename T>
  T* control(const QString& name) const {
    T* found = m_window.findChild<T*>(name);
    if (found == nullptr) throw std::runtime_error("no control " + name.toStdString());
    return found;
  }
  QLineEdit* text1(int n) const { return control<QLineEdit>(QStringLiteral("Text1(%1)").arg(n)); }
  QScrollBar* scroll() const { return control<QScrollBar>(QStringLiteral("HScroll1")); }
  int count() { return m_window.packets().Packet_Count; }
  QStringList list2() const {
    QStringList items;
    for (int i = 0; i < m_window.List2()->count(); ++i) items += m_window.List2()->item(i)->text();
    return items;
  }
  QString label2() const { return control<QLabel>(QStringLiteral("Label2"))->text(); }
  QString label3() const { return m_window.Label3()->text(); }
  QString logText() const { return m_window.RichTextBox1()->toPlainText(); }
  std::string csvPath() const { return m_dir.file("twk_telemetry.csv"); }

  TempDir m_dir;
  Form1 m_window;
  std::optional<QStringList> m_choice;
  int m_chooserCalls = 0;
  AppShell* m_shell;  // a child of m_window
};

}  // namespace twk::test
