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

TEST_F(ShellKeys, ShortcutsF10AndTheAboutBox) {
  // The about box opens centred over the window, without an owner; Esc closes it.
  m_window.move(150, 60);
  m_shell->MnuInfo_Click();
  QPointer<Form2> about = m_shell->aboutBox();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->parentWidget(), nullptr);
  EXPECT_LE((about->frameGeometry().center() - m_window.frameGeometry().center()).manhattanLength(),
            2);
  QTest::keyClick(about, Qt::Key_Escape);
  EXPECT_FALSE(about->isVisible());
  m_window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));

  m_choice = QStringList(QString::fromStdString(test::generatedLog(12, 1)));
  QMenu* file = m_window.menuBar()->actions().front()->menu();
  const std::pair<const char*, std::function<bool()>> keys[] = {
      {"Ctrl+O", [this] { return m_chooserCalls == 1 && count() == 12; }},
      {"Ctrl+S", [this] { return std::filesystem::exists(csvPath()); }},
      {"F10", [file] { return file->isVisible() && file->title() == "File"; }},
      {"Ctrl+Q", [this] { return !m_window.isVisible(); }},
  };
  for (const auto& [key, done] : keys) {
    QTest::keySequence(&m_window, QKeySequence(QLatin1String(key)));
    EXPECT_TRUE(done()) << key;
    file->close();
  }
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
  EXPECT_EQ(std::filesystem::path(suggested.toStdString()),
            std::filesystem::path(log).parent_path() / "twk_telemetry.csv");
  answer = QString::fromStdString(elsewhere.file("pass.csv"));
  EXPECT_TRUE(saveAs().empty());
  EXPECT_EQ(readFile(elsewhere.file("pass.csv")), expected);
  EXPECT_EQ(label3(), answer + " has been written");

  // A program folder that cannot be written: the message points to the other item, which
  // reports a folder of its own choosing without that hint. Root acts as "nobody" for it.
  std::filesystem::permissions(m_dir.path(), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  const bool root = geteuid() == 0;
  if (root && (chown(m_dir.path().c_str(), 65534, 65534) != 0 || seteuid(65534) != 0)) {
    FAIL() << "cannot act as nobody";
  }
  answer = QString::fromStdString(m_dir.file("other.csv"));
  const std::vector<test::SeenBox> boxes = exportCsv();
  const std::vector<test::SeenBox> asBoxes = saveAs();
  if (root && seteuid(0) != 0) std::abort();
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
