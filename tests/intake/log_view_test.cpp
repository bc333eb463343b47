#include "intake/log_view.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <fstream>

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

TEST(AddText, AppendsLinesInOrderAndLeavesTheCaretAfterThem) {
  LogView view;
  view.setPlainText("earlier");
  view.clear();
  for (const char* line : {"a\r", "b\r", "c\r"}) view.AddText(line, 0);
  EXPECT_EQ(view.toPlainText(), "a\nb\nc\n");
  EXPECT_EQ(view.document()->blockCount(), 4);
  EXPECT_EQ(view.textCursor().position(), 6);
  EXPECT_FALSE(view.textCursor().hasSelection());
}

TEST(AddText, ColoursOnlyTheInsertedText) {
  LogView view;
  view.AddText("black\r", 0);
  view.AddText("red\r", 255);  // red in the low byte
  view.AddText("blue", 0x00FF0000);
  EXPECT_EQ(colourAt(view, 0), QColor(0, 0, 0));
  EXPECT_EQ(colourAt(view, 4), QColor(0, 0, 0));
  EXPECT_EQ(colourAt(view, 6), QColor(255, 0, 0));
  EXPECT_EQ(colourAt(view, 8), QColor(255, 0, 0));
  EXPECT_EQ(colourAt(view, 10), QColor(0, 0, 255));
}

TEST(AddText, InsertsAtTheSelectionStartWithoutReplacingIt) {
  LogView view;
  view.AddText("abcdef", 0);
  QTextCursor cursor = view.textCursor();
  cursor.setPosition(4);
  cursor.setPosition(2, QTextCursor::KeepAnchor);  // "cd" selected, backwards
  view.setTextCursor(cursor);
  view.AddText("XY", 0);
  EXPECT_EQ(view.toPlainText(), "abXYcdef");
  EXPECT_EQ(view.textCursor().position(), 4);
  EXPECT_FALSE(view.textCursor().hasSelection());
}

TEST(AddText, UsersCanSelectButNotEdit) {
  LogView view;
  EXPECT_TRUE(view.isReadOnly());
  EXPECT_TRUE(view.textInteractionFlags() & Qt::TextSelectableByMouse);
  EXPECT_TRUE(view.textInteractionFlags() & Qt::TextSelectableByKeyboard);
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

TEST_F(DecodeIntoWindow, ShowsThePathAndOnlyTheLastFilesTelemetryLines) {
  const std::string line1 = test::telemetryLine({{35, 0xD7}, {36, 0x01}});
  const std::string line2 = test::telemetryLine({{40, 0xFB}});
  const std::string first = test::writeLog(
      "first.log", {"# station header", line1, "8C 10 33 67 58 30 54 57 4b 2D 31 00", line2});
  decode(first);
  EXPECT_EQ(label3(), QString::fromStdString(first));
  const QStringList lines = logText().split('\n');
  ASSERT_EQ(lines.size(), 3);  // two lines, then the empty paragraph after the last end
  // The un-escaped frame without blanks: byte 35 is D7 again, byte 40 FB.
  EXPECT_EQ(lines[0].mid(70, 4), "D701");
  EXPECT_EQ(lines[1].mid(80, 2), "FB");
  EXPECT_EQ(lines[0].size(), 83 * 2);
  EXPECT_TRUE(lines[2].isEmpty());

  const std::string second = test::writeLog("second.log", {line2});
  decode(second);
  EXPECT_EQ(m_window.packets().Packet_Count, 3);
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
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::LineTooLong);
    EXPECT_EQ(e.line(), 2u);
  }
  EXPECT_EQ(m_window.packets().Packet_Count, 2);
  EXPECT_EQ(logText().count('\n'), 2);
  EXPECT_EQ(m_window.findChild<QLabel*>("Label2")->text(), "1/2");
  EXPECT_EQ(m_window.findChild<QLineEdit*>("Text1(1)")->text(), "5");
  EXPECT_EQ(m_window.findChild<QWidget*>("Frame8")->property("title").toString(), "RAAC  [ mAh ]");
}

TEST_F(DecodeIntoWindow, AFileThatDoesNotOpenChangesNothing) {
  const std::string good = test::writeLog("good.log", {test::telemetryLine({})});
  decode(good);
  EXPECT_THROW(decode(good + ".missing"), Error);
  EXPECT_EQ(label3(), QString::fromStdString(good));
  EXPECT_EQ(logText().count('\n'), 1);
}

}  // namespace
}  // namespace twk
