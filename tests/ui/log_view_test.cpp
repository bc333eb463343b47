#include "ui/log_view.h"

#include <gtest/gtest.h>

#include <QTextCursor>

#include "app/shell_fixture.h"
#include "core/error.h"

namespace twk {
namespace {

QColor colourAt(const LogView& view, int position) {
  QTextCursor cursor(view.document());
  cursor.setPosition(position + 1);  // the format of the character before the cursor
  return cursor.charFormat().foreground().color();
}

TEST(AddText, AppendsBlackLinesAtTheCaretAndInsertsAtASelectionWithoutReplacingIt) {
  LogView view;
  view.setPlainText("earlier");
  view.clear();
  view.AddText("a\r");
  view.AddText("b\r");
  view.AddText("c\r");
  EXPECT_EQ(view.toPlainText(), "a\nb\nc\n");
  EXPECT_EQ(view.textCursor().position(), 6);
  EXPECT_FALSE(view.textCursor().hasSelection());
  EXPECT_EQ(colourAt(view, 0), QColor(0, 0, 0));
  EXPECT_EQ(colourAt(view, 4), QColor(0, 0, 0));
  EXPECT_TRUE(view.isReadOnly());
  EXPECT_TRUE(view.textInteractionFlags() & Qt::TextSelectableByMouse);

  QTextCursor cursor = view.textCursor();
  cursor.setPosition(4);
  cursor.setPosition(2, QTextCursor::KeepAnchor);  // "b\n" selected backwards
  view.setTextCursor(cursor);
  view.AddText("XY");
  EXPECT_EQ(view.toPlainText(), "a\nXYb\nc\n");
  EXPECT_EQ(view.textCursor().position(), 4);
  EXPECT_FALSE(view.textCursor().hasSelection());
}

class DecodeIntoWindow : public test::ShellTest {};

TEST_F(DecodeIntoWindow, ShowsThePathAndTheLastFilesTelemetryLinesUnescaped) {
  // A too long line is shown and stored before the error passes on.
  const std::string tooLong = test::writeLog(
      "too_long.log", {test::telemetryLine({{35, 0x00}, {36, 0x05}}), test::tooLongLine()});
  try {
    decode(tooLong);
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::LineTooLong);
    EXPECT_EQ(e.line(), 2u);
  }
  EXPECT_EQ(logText().count('\n'), 2);
  EXPECT_EQ(label2(), "1/2");
  EXPECT_EQ(text1(1)->text(), "5");

  const std::string line1 = test::telemetryLine({{35, 0xD7}, {36, 0x01}});
  const std::string line2 = test::telemetryLine({{40, 0xFB}});
  const std::string first = test::writeLog(
      "first.log", {"# station header", line1, "8C 10 33 67 58 30 54 57 4b 2D 31 00", line2});
  decode(first);
  EXPECT_EQ(label3(), QString::fromStdString(first));
  const QStringList lines = logText().split('\n');
  ASSERT_EQ(lines.size(), 3);  // two lines and the empty paragraph after the last line end
  EXPECT_EQ(lines[0].size(), 91 * 2);
  EXPECT_EQ(lines[0].mid(70, 4), "D701");
  EXPECT_EQ(lines[1].mid(80, 2), "FB");

  const std::string second = test::writeLog("second.log", {line2});
  decode(second);
  EXPECT_EQ(count(), 5);
  EXPECT_EQ(label3(), QString::fromStdString(second));
  EXPECT_EQ(logText().count('\n'), 1);

  // A file that does not open changes nothing.
  EXPECT_THROW(decode(second + ".missing"), Error);
  EXPECT_EQ(label3(), QString::fromStdString(second));
  EXPECT_EQ(logText().count('\n'), 1);
}

}  // namespace
}  // namespace twk
