// The menu shell by keyboard, the about box's place and Esc, and writing the CSV file where the
// user chooses.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <filesystem>

#include "app/shell_fixture.h"
#include "ui/form2.h"

namespace twk {
namespace {

using test::readFile;

class ShellKeys : public test::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    m_window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));
  }
};

TEST_F(ShellKeys, ShortcutsRunTheirItemsAndF10OpensTheFirstMenu) {
  m_choice = QStringList(QString::fromStdString(test::generatedLog(12, 1)));
  const std::pair<QKeySequence, std::function<bool()>> keys[] = {
      {QKeySequence("Ctrl+O"), [this] { return m_chooserCalls == 1 && count() == 12; }},
      {QKeySequence("Ctrl+S"), [this] { return std::filesystem::exists(csvPath()); }},
      {QKeySequence("F10"),
       [this] {
         QMenu* file = m_window.menuBar()->actions().front()->menu();
         const bool open = file->isVisible() && file->title() == "File";
         file->close();
         return open;
       }},
      {QKeySequence("Ctrl+Q"), [this] { return !m_window.isVisible(); }},
  };
  for (const auto& [key, done] : keys) {
    QTest::keySequence(&m_window, key);
    EXPECT_TRUE(done()) << key.toString().toStdString();
  }
}

TEST_F(ShellKeys, TheAboutBoxOpensOverTheWindowAndEscClosesIt) {
  m_window.move(150, 60);
  m_shell->MnuInfo_Click();
  QPointer<Form2> about = m_shell->aboutBox();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->parentWidget(), nullptr);
  const QPoint offset = about->frameGeometry().center() - m_window.frameGeometry().center();
  EXPECT_LE(offset.manhattanLength(), 2);
  QTest::keyClick(about, Qt::Key_Escape);
  EXPECT_FALSE(about->isVisible());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(about, nullptr);
}

TEST_F(ShellKeys, WriteCsvFileAsWritesTheSameBytesWhereTheUserChooses) {
  const std::string log = test::generatedLog(40, 9);
  open({log});
  EXPECT_TRUE(exportCsv().empty());
  const std::string expected = readFile(csvPath());
  test::TempDir elsewhere;
  QString suggested;
  QString answer;
  m_shell->csvExport().setSaveChooser([&](const QString& s) {
    suggested = s;
    return answer;
  });
  const auto saveAs = [this] {
    return test::answerBoxes([this] { m_shell->WriteCSVFileAs_Click(); });
  };

  EXPECT_TRUE(saveAs().empty());  // cancelled: nothing happens
  EXPECT_EQ(suggested,
            QString::fromStdString(
                (std::filesystem::path(log).parent_path() / "twk_telemetry.csv").string()));
  answer = QString::fromStdString(elsewhere.file("pass.csv"));
  EXPECT_TRUE(saveAs().empty());
  EXPECT_EQ(readFile(elsewhere.file("pass.csv")), expected);
  EXPECT_EQ(label3(), answer + " has been written");

  // A program folder that cannot be written: the message points to the other item, which
  // reports a folder of its own choosing without that hint. As root, act as "nobody".
  std::filesystem::permissions(m_dir.path(), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  const bool root = geteuid() == 0;
  if (root) ASSERT_EQ(chown(m_dir.path().c_str(), 65534, 65534) == 0 && seteuid(65534) == 0, true);
  answer = QString::fromStdString(m_dir.file("other.csv"));
  const std::vector<test::SeenBox> boxes = exportCsv();
  const std::vector<test::SeenBox> asBoxes = saveAs();
  if (root && seteuid(0) != 0) std::abort();
  std::filesystem::permissions(m_dir.path(), std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add);
  ASSERT_EQ(boxes.size(), 1u);
  ASSERT_EQ(asBoxes.size(), 1u);
  for (const auto& [box, target, hint] :
       {std::tuple(boxes[0], QString::fromStdString(csvPath()), true),
        std::tuple(asBoxes[0], answer, false)}) {
    EXPECT_TRUE(box.text.contains(target)) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(QString::fromUtf8(std::strerror(EACCES))));
    EXPECT_EQ(box.text.contains("TLM File\" > \"Write CSV File As"), hint);
  }
  EXPECT_EQ(readFile(csvPath()), expected);
}

}  // namespace
}  // namespace twk
