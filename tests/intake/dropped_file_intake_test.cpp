#include "intake/dropped_file_intake.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <filesystem>

#include "app/shell_fixture.h"
#include "intake/log_view.h"
#include "ui/modal_boxes.h"
#include "ui/test_logs.h"

namespace twk {
namespace {

class DroppedFileIntakeTest : public test::ShellTest {
 protected:
  // Drags urls onto the log view and drops them there, as the window system delivers a drop;
  // returns whether the view took the drag and the drop.
  std::pair<bool, bool> drop(const QList<QUrl>& urls) {
    QWidget* target = m_window.RichTextBox1()->viewport();
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    return {enter.isAccepted(), dropped.isAccepted()};
  }
  QString copyLog(const std::string& name, int packets, int seed) {
    std::filesystem::copy_file(test::generatedLog(packets, seed), m_dir.file(name));
    return QString::fromStdString(m_dir.file(name));
  }
};

TEST_F(DroppedFileIntakeTest, TheFirstFileIsAddedWhenItsNameEndsInLogInAnyCase) {
  struct Case {
    std::vector<std::string> names;
    int added;  // packets added, 0 when the drop is ignored
  };
  const Case cases[] = {
      {{"flight.log"}, 7},
      {{"FLIGHT.LOG"}, 7},
      {{"catalog"}, 7},
      {{"flight.txt"}, 0},
      {{"first.log", "second.log"}, 7},
  };
  int seed = 40;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.names.front());
    open({test::generatedLog(100, 11)});
    QList<QUrl> urls;
    for (const std::string& name : c.names) urls += QUrl::fromLocalFile(copyLog(name, 7, ++seed));
    const QString before = logText();

    EXPECT_EQ(drop(urls), std::make_pair(true, true));

    EXPECT_EQ(m_window.Log_FileName, urls.front().toLocalFile());
    EXPECT_EQ(count(), 100 + c.added);
    EXPECT_EQ(label2(), QStringLiteral("1/%1").arg(100 + c.added));
    if (c.added > 0) {
      EXPECT_EQ(label3(), urls.front().toLocalFile());
      EXPECT_EQ(logText().count(QLatin1Char('\n')), c.added);
    } else {
      EXPECT_EQ(logText(), before);
    }
    // A drop neither resets the count nor touches the work list.
    EXPECT_EQ(list2(), QStringList(QString::fromStdString(test::generatedLog(100, 11))));
  }
}

TEST_F(DroppedFileIntakeTest, ADropWithoutFilesChangesNothing) {
  open({test::generatedLog(100, 11)});
  m_window.Log_FileName = QStringLiteral("unchanged");
  for (const QList<QUrl>& urls : {QList<QUrl>(), QList<QUrl>{QUrl("https://example.org/a.log")}}) {
    drop(urls);
    EXPECT_EQ(m_window.Log_FileName, "unchanged");
    EXPECT_EQ(count(), 100);
  }
  // Text is not a file: the view refuses to take it at all.
  QMimeData text;
  text.setText(QStringLiteral("flight.log"));
  QWidget* target = m_window.RichTextBox1()->viewport();
  QDragEnterEvent enter(target->rect().center(), Qt::CopyAction, &text, Qt::LeftButton,
                        Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  EXPECT_FALSE(enter.isAccepted());
}

TEST_F(DroppedFileIntakeTest, AFailedDropIsReportedAndThePacketsStay) {
  open({test::generatedLog(100, 11)});
  const std::string good = test::telemetryLine({{35, 0x04}});
  const QString tooLong =
      QString::fromStdString(test::writeLog("dropped_too_long.log", {good, test::tooLongLine()}));
  const QString missing = QString::fromStdString(m_dir.file("gone.log"));
  const std::pair<QString, int> cases[] = {{missing, 100}, {tooLong, 102}};
  for (const auto& [path, expected] : cases) {
    const auto boxes = test::answerBoxes([&] { drop({QUrl::fromLocalFile(path)}); });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.startsWith(QStringLiteral("Decoding stopped in ") + path))
        << boxes[0].text.toStdString();
    EXPECT_FALSE(boxes[0].text.contains(QLatin1String("not read")));
    EXPECT_EQ(boxes[0].buttons, QMessageBox::Ok);
    EXPECT_EQ(count(), expected);
    EXPECT_EQ(label2(), QStringLiteral("1/%1").arg(expected));
    EXPECT_TRUE(m_window.isVisible());
  }
}

}  // namespace
}  // namespace twk
