#include "ui/dropped_file_intake.h"

#include <gtest/gtest.h>

#include <QUrl>
#include <filesystem>

#include "app/shell_fixture.h"

namespace twk {
namespace {

class DroppedFileIntakeTest : public test::ShellTest {
 protected:
  QUrl copied(const std::string& name, int packets, int seed) const {
    std::filesystem::copy_file(test::generatedLog(packets, seed), m_dir.file(name));
    return QUrl::fromLocalFile(QString::fromStdString(m_dir.file(name)));
  }
};

// A drop adds the first local file to the load when its name ends in "log" in any case; anything
// else does nothing, and a file that fails is reported while the packets so far stay.
TEST_F(DroppedFileIntakeTest, TheFirstFileIsAddedWhenItsNameEndsInLogInAnyCase) {
  std::filesystem::create_directory(m_dir.file("backlog"));
  const QString text = QString::fromStdString(test::generatedLog(7, 41));
  const QUrl tooLong = QUrl::fromLocalFile(QString::fromStdString(test::writeLog(
      "dropped_too_long.log", {test::telemetryLine({{35, 0x04}}), test::tooLongLine()})));
  struct Case {
    QList<QUrl> urls;               // dropped, or the text when there are none
    int added;                      // packets added
    const char* failure = nullptr;  // the reason the one message box gives
    bool taken = true;              // whether the view takes the drag
  };
  const Case cases[] = {
      {{copied("flight.log", 7, 41)}, 7},
      {{copied("FLIGHT.LOG", 7, 41)}, 7},
      {{copied("catalog", 7, 41)}, 7},
      {{copied("flight.txt", 7, 41)}, 0},
      {{copied("first.log", 7, 41), copied("second.log", 9, 3)}, 7},
      {{}, 0},
      {{QUrl(QStringLiteral("https://example.org/pass.log"))}, 0},
      {{}, 0, nullptr, false},
      {{QUrl::fromLocalFile(QString::fromStdString(m_dir.file("backlog")))}, 0, "Is a directory"},
      {{QUrl::fromLocalFile(QString::fromStdString(m_dir.file("gone.log")))},
       0,
       "No such file or directory"},
      {{tooLong}, 2, "line too long"},
  };
  for (const Case& c : cases) {
    const QString first = c.urls.isEmpty() ? QString() : c.urls.front().toString();
    SCOPED_TRACE(c.taken ? first.toStdString() : "text");
    open({test::generatedLog(100, 11)});
    m_window.Log_FileName = QStringLiteral("unchanged");
    const QString before = logText();
    QMimeData data;
    c.taken ? data.setUrls(c.urls) : data.setText(text);

    const auto [taken, boxes] = drop(data);

    EXPECT_EQ(taken, c.taken);
    const bool local = !c.urls.isEmpty() && c.urls.front().isLocalFile();
    EXPECT_EQ(m_window.Log_FileName, local ? c.urls.front().toLocalFile() : "unchanged");
    EXPECT_EQ(count(), 100 + c.added);
    EXPECT_EQ(label2(), QStringLiteral("1/%1").arg(100 + c.added));
    if (c.failure != nullptr) {
      ASSERT_EQ(boxes.size(), 1u);
      const QString& shown = boxes[0].text;
      EXPECT_TRUE(shown.startsWith("Decoding stopped in " + c.urls.front().toLocalFile()))
          << shown.toStdString();
      EXPECT_TRUE(shown.contains(QLatin1String(c.failure))) << shown.toStdString();
      EXPECT_FALSE(shown.contains(QLatin1String("not read"))) << shown.toStdString();
      EXPECT_EQ(boxes[0].buttons, QMessageBox::Ok);
    } else if (c.added > 0) {
      EXPECT_TRUE(boxes.empty());
      EXPECT_EQ(label3(), c.urls.front().toLocalFile());
      EXPECT_EQ(logText().count(QLatin1Char('\n')), c.added);
    } else {
      EXPECT_TRUE(boxes.empty());
      EXPECT_EQ(logText(), before);
    }
    // A drop neither resets the count nor touches the work list.
    EXPECT_EQ(list2(), QStringList(QString::fromStdString(test::generatedLog(100, 11))));
    EXPECT_TRUE(m_window.isVisible());
  }
}

}  // namespace
}  // namespace twk
