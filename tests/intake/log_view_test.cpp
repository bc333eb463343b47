#include "intake/log_view.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTextCursor>

#include "intake/error.h"
#include "ui/form1.h"
#include "ui/test_logs.h"

namespace twk {
namespace {

QColor colourAt(const LogView& view, int position) {
  QTextCursor cursor(view.document());
  cursor.setPosition(position + 1);  // the format of the character before the cursor
  return cursor.charFormat().foreground().color();
}

TEST(AddText, AppendsColouredLinesAndLeavesTheCaretAfterThem) {
  LogView view;
  view.setPlainText("earlier");
  view.clear();
  view.AddText("a\r", 0);
  view.AddText("b\r", 255);  // red in the low byte
  view.AddText("c\r", 0x00FF0000);
  EXPECT_EQ(view.toPlainText(), "a\nb\nc\n");
  EXPECT_EQ(view.textCursor().position(), 6);
  EXPECT_FALSE(view.textCursor().hasSelection());
  EXPECT_EQ(colourAt(view, 0), QColor(0, 0, 0));
  EXPECT_EQ(colourAt(view, 2), QColor(255, 0, 0));
  EXPECT_EQ(colourAt(view, 4), QColor(0, 0, 255));
  EXPECT_TRUE(view.isReadOnly());
  EXPECT_TRUE(view.textInteractionFlags() & Qt::TextSelectableByMouse);
}

TEST(AddText, InsertsAtTheSelectionStartWithoutReplacingIt) {
  LogView view;
  view.AddText("abcdef", 0);
  QTextCursor cursor = view.textCursor();
  cursor.setPosition(4);
  cursor.setPosition(2, QTextCursor::KeepAnchor);  // "cd" selected backwards
  view.setTextCursor(cursor);
  view.AddText("XY", 0);
  EXPECT_EQ(view.toPlainText(), "abXYcdef");
  EXPECT_EQ(view.textCursor().position(), 4);
  EXPECT_FALSE(view.textCursor().hasSelection());
}

class DecodeIntoWindow : public ::testing::Test {
 protected:
  QString logText() const { return m_window.findChild<LogView*>("RichTextBox1")->toPlainText(); }
  QString label3() const { return m_window.findChild<QLabel*>("Label3")->text(); }
  void decode(const std::string& path) {
    m_window.Log_FileName = QString::fromStdString(path);
    m_window.Decode_TextFile();
  }
  Form1 m_window;
};

TEST_F(DecodeIntoWindow, ShowsThePathAndTheLastFilesTelemetryLinesUnescaped) {
  const std::string line1 = test::telemetryLine({{35, 0xD7}, {36, 0x01}});
  const std::string line2 = test::telemetryLine({{40, 0xFB}});
  const std::string first = test::writeLog(
      "first.log", {"# station header", line1, "8C 10 33 67 58 30 54 57 4b 2D 31 00", line2});
  decode(first);
  EXPECT_EQ(label3(), QString::fromStdString(first));
  const QStringList lines = logText().split('\n');
  ASSERT_EQ(lines.size(), 3);  // two lines and the empty paragraph after the last line end
  EXPECT_EQ(lines[0].size(), 83 * 2);
  EXPECT_EQ(lines[0].mid(70, 4), "D701");
  EXPECT_EQ(lines[1].mid(80, 2), "FB");

  const std::string second = test::writeLog("second.log", {line2});
  decode(second);
  EXPECT_EQ(m_window.packets().Packet_Count, 3);
  EXPECT_EQ(label3(), QString::fromStdString(second));
  EXPECT_EQ(logText().count('\n'), 1);

  // A file that does not open changes nothing.
  EXPECT_THROW(decode(second + ".missing"), Error);
  EXPECT_EQ(label3(), QString::fromStdString(second));
  EXPECT_EQ(logText().count('\n'), 1);
}

TEST_F(DecodeIntoWindow, ATooLongLineIsShownAndStoredBeforeTheErrorPassesOn) {
  std::string tooLong = test::telemetryLine({{35, 0x00}, {36, 0x09}});
  for (int i = 83; i <= 151; ++i) tooLong += " 11";
  const std::string path =
      test::writeLog("too_long.log", {test::telemetryLine({{35, 0x00}, {36, 0x05}}), tooLong});
  try {
    decode(path);
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::LineTooLong);
    EXPECT_EQ(e.line(), 2u);
  }
  EXPECT_EQ(logText().count('\n'), 2);
  EXPECT_EQ(m_window.findChild<QLabel*>("Label2")->text(), "1/2");
  EXPECT_EQ(m_window.findChild<QLineEdit*>("Text1(1)")->text(), "5");
}

}  // namespace
}  // namespace twk
