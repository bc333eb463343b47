#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <filesystem>
#include <optional>
#include <type_traits>

#include "app/app_shell.h"
#include "log_text.h"
#include "temp_dir.h"
#include "ui/bar_chart.h"
#include "ui/chart_picture.h"
#include "ui/eliding_label.h"
#include "ui/log_view.h"
#include "ui/main_window.h"

// GoogleTest shows a QString as its text.
// NOLINTNEXTLINE(readability-identifier-naming): GoogleTest's name
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

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
  const std::string n = std::to_string(packets), s = std::to_string(seed);
  const std::string path = logDir().file(n + "_" + s + ".log");
  const std::string command = TWK_LOGGEN_PATH " --packets " + n + " --seed " + s + " -o " + path;
  if (!std::filesystem::exists(path) && std::system(command.c_str()) != 0)
    throw std::runtime_error("failed: " + command);
  return path;
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

// Runs show and, once it brings up a modal D, user on it; a dialog still open then is rejected.
// Returns the texts of the message boxes that the user's steps brought up, answered.
template <typename D = QDialog>
QStringList withDialog(const std::function<void()>& show,
                       const std::type_identity_t<std::function<void(D&)>>& user) {
  QStringList boxes;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return;
    poll.stop();
    boxes = answerBoxes([&] { user(*dialog); });
    if (dialog->isVisible()) dialog->reject();
  });
  poll.start(5);
  show();
  return boxes;
}

// Whether text holds part, saying what text was where it was not, or was.
inline ::testing::AssertionResult holds(const QString& text, const QString& part) {
  return (text.contains(part) ? ::testing::AssertionSuccess() : ::testing::AssertionFailure())
         << '"' << text.toStdString() << "\" and \"" << part.toStdString() << '"';
}

// Whether boxes are one message box that holds parts in this order, or none for no parts.
inline ::testing::AssertionResult oneBox(const QStringList& boxes, const QStringList& parts) {
  bool found = boxes.size() == (parts.isEmpty() ? 0 : 1);
  qsizetype at = 0;
  for (const QString& part : parts) found = found && (at = boxes[0].indexOf(part, at)) >= 0;
  return (found ? ::testing::AssertionSuccess() : ::testing::AssertionFailure())
         << boxes.size() << " boxes \"" << boxes.join("\", \"").toStdString() << "\" for \""
         << parts.join("\", \"").toStdString() << '"';
}

// The main window and its shell as the program builds them, driven as a user drives it: a file
// chooser that answers m_choice, the CSV written to a folder of the test's own. Each step that
// may show message boxes answers them and returns their texts.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { m_window.show(); }

  QStringList open(const std::vector<std::string>& paths) {
    m_choice = QStringList();
    for (const std::string& path : paths) *m_choice += QString::fromStdString(path);
    return answerBoxes([this] { m_shell->open(); });
  }
  QStringList follow(const std::string& path) {
    return answerBoxes([&] { m_shell->followCommand().follow(QString::fromStdString(path)); });
  }
  QStringList exportCsv() {
    return answerBoxes([this] { m_shell->writeCsvFile(); });
  }
  // Waits until the load's newest packet has number last.
  bool reach(std::int64_t last) {
    return QTest::qWaitFor([&] { return m_window.packets().lastNumber() == last; }, 9000);
  }

  template <typename T = QWidget>
  T* control(const QString& name) const {
    T* found = m_window.findChild<T*>(name);
    if (found == nullptr) throw std::runtime_error("no control " + name.toStdString());
    return found;
  }
  QLineEdit* fieldOf(int channel) const {
    return control<QLineEdit>(QStringLiteral("valueField(%1)").arg(channel));
  }
  QString field(int channel) const { return fieldOf(channel)->text(); }
  QAbstractButton* button(int channel) const {
    return control<QAbstractButton>(QStringLiteral("chartButton(%1)").arg(channel));
  }
  QAction* action(const char* name) const { return control<QAction>(QLatin1String(name)); }
  QString packetLabel() const { return control<QLabel>(QStringLiteral("packetLabel"))->text(); }
  QString fileLabel() const { return m_window.fileLabel().text(); }
  QScrollBar* scroll() const { return control<QScrollBar>(QStringLiteral("packetScrollBar")); }
  BarChart* chart() const { return control<BarChart>(QStringLiteral("chart")); }
  LogView& logView() const { return m_window.logView(); }
  QString logText() const { return logView().toPlainText(); }
  int count() const { return m_window.packets().count(); }
  std::string csvPath() const { return m_dir.file("twk_telemetry.csv"); }

  // A click in the middle of w, or at a point of it.
  static void click(QWidget* w, Qt::KeyboardModifiers keys = {}, std::optional<QPoint> at = {}) {
    QTest::mouseClick(w, Qt::LeftButton, keys, at.value_or(w->rect().center()));
  }
  // A wheel turned by delta eighths of a degree (negative: towards the user), or tilted.
  static void wheel(QWidget* w, QPoint at, QPoint delta, Qt::KeyboardModifiers keys = {}) {
    QWheelEvent event(at, w->mapToGlobal(at), QPoint(), delta, Qt::NoButton, keys,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
  }
  // What the screen shows of w: the window's picture after the repaints so far, which may
  // cover only the parts that changed.
  QImage onScreen(QWidget* w) const {
    QApplication::processEvents();
    const QRect r(w->mapTo(&m_window, QPoint()), w->size());
    return m_window.screen()
        ->grabWindow(m_window.winId(), r.x(), r.y(), r.width(), r.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
  }

  TempDir m_dir;
  MainWindow m_window;
  std::optional<QStringList> m_choice;
  AppShell* m_shell = new AppShell(
      m_window, [this] { return m_choice; }, QString::fromStdString(m_dir.path().string()));
};

}  // namespace twk::test
