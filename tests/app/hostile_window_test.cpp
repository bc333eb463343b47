// The window against input no station writes on purpose: every case ends in one clear message
// or in nothing happening, the program keeps running, and nothing already loaded is lost.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <filesystem>
#include <fstream>

#include "app/shell_fixture.h"
#include "ui/modal_boxes.h"

namespace twk {
namespace {

using test::answerBoxes;
using test::SeenBox;

class HostileWindowTest : public test::ShellTest {
 protected:
  // Drops data on the log view as the window system delivers a drop; returns the boxes shown.
  std::vector<SeenBox> drop(const QMimeData& data) {
    QWidget* target = m_window.RichTextBox1()->viewport();
    const QPoint at = target->rect().center();
    return answerBoxes([&] {
      QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(target, &enter);
      QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(target, &dropped);
    });
  }

  std::vector<SeenBox> openAnswering(const std::vector<std::string>& paths) {
    return answerBoxes([&] { open(paths); });
  }

  std::string csvPath() const { return m_dir.file("twk_telemetry.csv"); }
};

TEST_F(HostileWindowTest, DropsOfWhatIsNoLogFile) {
  open({test::generatedLog(20, 3)});
  const QString before = logText();

  QMimeData remote;
  remote.setUrls({QUrl(QStringLiteral("https://example.org/pass.log"))});
  QMimeData text;
  text.setText(QString::fromStdString(test::generatedLog(20, 4)));
  for (const QMimeData* data : {&remote, &text}) {
    EXPECT_TRUE(drop(*data).empty());
    EXPECT_EQ(count(), 20);
    EXPECT_EQ(logText(), before);
  }

  // A folder whose name ends in "log" is taken for a log, and cannot be read as one.
  const std::string folder = m_dir.file("catalog");
  std::filesystem::create_directory(folder);
  QMimeData folderDrop;
  folderDrop.setUrls({QUrl::fromLocalFile(QString::fromStdString(folder))});
  const std::vector<SeenBox> boxes = drop(folderDrop);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(boxes[0].text.contains(QString::fromStdString(folder))) << boxes[0].text.toStdString();
  EXPECT_TRUE(boxes[0].text.contains(QLatin1String("Is a directory"))) << boxes[0].text.toStdString();
  EXPECT_EQ(count(), 20);
  EXPECT_EQ(label2(), QStringLiteral("1/20"));
}

TEST_F(HostileWindowTest, FilesThatVanishOrCarryUnusualNames) {
  // Chosen in the dialog, then deleted before it is decoded.
  const std::string vanished = m_dir.write("vanished.log", test::telemetryLine({}) + "\r\n");
  std::filesystem::remove(vanished);
  std::vector<SeenBox> boxes = openAnswering({vanished});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(boxes[0].text.contains(QLatin1String("No such file or directory")));
  EXPECT_EQ(count(), 0);

  std::filesystem::create_directory(m_dir.file("flug daten"));
  const std::string unusual = m_dir.file("flug daten/Überflug 3 – Süd.log");
  std::filesystem::copy_file(test::generatedLog(15, 6), unusual);
  EXPECT_TRUE(openAnswering({unusual}).empty());
  EXPECT_EQ(count(), 15);
  EXPECT_EQ(label3(), QString::fromStdString(unusual));
}

TEST_F(HostileWindowTest, AFolderWhereTheCsvGoesIsReported) {
  open({test::generatedLog(10, 7)});
  std::filesystem::create_directory(csvPath());
  const QString before = label3();
  const std::vector<SeenBox> boxes = answerBoxes([&] { m_shell->WriteCSVFile_Click(); });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(boxes[0].text.contains(QString::fromStdString(csvPath())));
  EXPECT_TRUE(boxes[0].text.contains(QLatin1String("Is a directory")));
  EXPECT_EQ(label3(), before);
  EXPECT_TRUE(std::filesystem::is_empty(csvPath()));
}

TEST_F(HostileWindowTest, OnePacketMoreThanTheTableHolds) {
  const std::string log = test::generatedLog(5001, 8);
  const std::vector<SeenBox> boxes = openAnswering({log});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(boxes[0].text.contains(QLatin1String("packet table full")))
      << boxes[0].text.toStdString();
  EXPECT_TRUE(boxes[0].text.contains(QString::fromStdString(log)));
  EXPECT_EQ(count(), 5000);
  EXPECT_EQ(label2(), QStringLiteral("1/5000"));

  EXPECT_TRUE(answerBoxes([&] { m_shell->WriteCSVFile_Click(); }).empty());
  std::ifstream csv(csvPath(), std::ios::binary);
  int lines = 0;
  for (std::string line; std::getline(csv, line);) ++lines;
  EXPECT_EQ(lines, 5001);
}

}  // namespace
}  // namespace twk
