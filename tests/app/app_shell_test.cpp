#include "app/app_shell.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <cstring>
#include <filesystem>

#include "ui/about_box.h"
#include "ui/settings_dialog.h"
#include "ui/user_settings.h"
#include "window_driver.h"

namespace twk {
namespace {

using test::holds;
using test::oneBox;
using test::readFile;

class AppShellTest : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    m_window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));
  }
};

// "Info" shows the one about box, centred over the window but not owned by it; Esc closes it,
// and the next "Info" loads a fresh one. Exit with the about box open is checked end to end.
TEST_F(AppShellTest, OneAboutBoxCentredWithoutAnOwnerAndLoadedAnewAfterEsc) {
  m_window.move(150, 60);
  m_shell->showAbout();
  QPointer<AboutBox> about = m_shell->aboutBox();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->parentWidget(), nullptr);
  EXPECT_LE((about->frameGeometry().center() - m_window.frameGeometry().center()).manhattanLength(),
            2);
  auto* version = about->findChild<QLabel*>(QStringLiteral("version"));
  const QString loaded = version->text();
  version->setText(QStringLiteral("changed"));
  m_shell->showAbout();
  EXPECT_EQ(m_shell->aboutBox(), about);
  EXPECT_EQ(version->text(), "changed");
  QTest::keyClick(about, Qt::Key_Escape);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(about, nullptr);
  m_shell->showAbout();
  EXPECT_EQ(m_shell->aboutBox()->findChild<QLabel*>(QStringLiteral("version"))->text(), loaded);
}

// "File" > "Settings…", above "Exit", shows "Packets held" as chosen before, written as the
// packet label writes numbers: the choice takes effect at once and at the next start; a number
// out of range is refused with a message; Cancel changes nothing.
TEST_F(AppShellTest, PacketsHeldIsAppliedAndKept) {
  const QList<QAction*> items = m_window.menuBar()->actions().front()->menu()->actions();
  QAction* settings = items.value(items.size() - 2);
  ASSERT_NE(settings, nullptr);
  EXPECT_EQ(settings->text(), QStringLiteral("Se&ttings\u2026"));
  open({test::generatedLog(342, 7)});
  // typed, the button pressed; the packets held then, the text shown when the dialog opened,
  // the message
  using Box = QDialogButtonBox;
  const std::tuple<const char*, Box::StandardButton, int, const char*, const char*> steps[] = {
      {"250", Box::Ok, 250, "5000", ""},
      {"12000", Box::Ok, 12000, "250", ""},
      {"7", Box::Ok, 12000, "12000", "Packets held must be a whole number from 100 to 10000000."},
      {"900", Box::Cancel, 12000, "12000", ""}};
  for (const auto& [typed, button, held, before, box] : steps) {
    QString shown;
    const QStringList boxes = test::withDialog<SettingsDialog>(
        [&] { settings->trigger(); },
        [&, typed = typed, button = button](SettingsDialog& dialog) {
          auto* text = dialog.findChild<QLineEdit*>();
          shown = text->text();
          text->setText(QLatin1String(typed));
          dialog.findChild<QDialogButtonBox*>()->button(button)->click();
        });
    EXPECT_EQ(shown, before) << typed;
    EXPECT_EQ(boxes.join(""), box) << typed;
    EXPECT_EQ(m_window.packets().capacity(), held) << typed;
    EXPECT_EQ(count(), 250) << typed;  // the newest of the 342, as many as the least held
    MainWindow next;
    AppShell shell(next, {}, {});
    EXPECT_EQ(next.packets().capacity(), held) << typed;
  }
  user_settings::rememberPacketsHeld(5000);
}

// Shortcuts, F10 and the access keys: Alt with a menu's key opens it, and an item's key in an
// open menu runs the item.
TEST_F(AppShellTest, ShortcutsF10AndAccessKeys) {
  m_choice = QStringList(QString::fromStdString(test::generatedLog(12, 1)));
  const QList<QAction*> bar = m_window.menuBar()->actions();
  QMenu* file = bar[0]->menu();
  QMenu* tlm = bar[1]->menu();
  const auto opened = [](QMenu* menu) { return [menu] { return menu->isVisible(); }; };
  const std::pair<const char*, std::function<bool()>> keys[] = {
      {"Ctrl+O", [this] { return count() == 12; }},
      {"Ctrl+S", [this] { return std::filesystem::exists(csvPath()); }},
      {"F10", opened(file)},
      {"Alt+F", opened(file)},
      {"Alt+T", opened(tlm)},
      {"Alt+I", [this] { return m_shell->aboutBox() != nullptr; }},
      {"Ctrl+Q", [this] { return !m_window.isVisible(); }}};
  for (const auto& [key, done] : keys) {
    QTest::keySequence(&m_window, QKeySequence(QLatin1String(key)));
    EXPECT_TRUE(done()) << key;
    file->close();
    tlm->close();
  }
  // Every caption's access key is its own within its menu, and "&" is only the mark.
  for (const QList<QAction*>& actions : {bar, file->actions(), tlm->actions()}) {
    QStringList mnemonics;
    for (QAction* action : actions) {
      if (!action->isSeparator()) mnemonics += QKeySequence::mnemonic(action->text()).toString();
    }
    EXPECT_FALSE(mnemonics.contains("")) << mnemonics.join(' ').toStdString();
    EXPECT_EQ(mnemonics.removeDuplicates(), 0) << mnemonics.join(' ').toStdString();
  }
}

// Write CSV File As writes the bytes of Write CSV File where the user chooses. With no packet
// loaded neither command writes: a message says so, and the files stay.
TEST_F(AppShellTest, WriteCsvFileAsWritesTheSameBytesWhereTheUserChooses) {
  m_dir.write("twk_telemetry.csv", "kept\n");
  test::TempDir elsewhere;
  QString suggested;
  QString answer = QString::fromStdString(elsewhere.write("pass.csv", "mine\n"));
  m_shell->csvExport().setSaveChooser([&](const QString& s) {
    suggested = s;
    return answer;
  });
  for (const bool afterEmptyLoad : {false, true}) {
    if (afterEmptyLoad) open({test::writeLog("plan.txt", {"pass planning, nothing received"})});
    const QStringList boxes = exportCsv();
    EXPECT_TRUE(oneBox(boxes, {"No packets are loaded, so no CSV file was written."}));
    EXPECT_EQ(test::answerBoxes([this] { m_shell->writeCsvFileAs(); }), boxes);
  }
  EXPECT_TRUE(suggested.isEmpty());  // not asked
  EXPECT_EQ(readFile(csvPath()), "kept\n");
  EXPECT_EQ(readFile(answer.toStdString()), "mine\n");

  const std::string log = test::generatedLog(40, 9);
  open({log});
  EXPECT_TRUE(exportCsv().isEmpty());
  answer.clear();
  // Cancelled: nothing happens.
  EXPECT_TRUE(test::answerBoxes([this] { m_shell->writeCsvFileAs(); }).isEmpty());
  EXPECT_EQ(std::filesystem::path(suggested.toStdString()),
            std::filesystem::path(log).parent_path() / "twk_telemetry.csv");
  answer = QString::fromStdString(elsewhere.file("pass.csv"));
  EXPECT_TRUE(test::answerBoxes([this] { m_shell->writeCsvFileAs(); }).isEmpty());
  EXPECT_EQ(readFile(elsewhere.file("pass.csv")), readFile(csvPath()));

  // A program folder that cannot be written: the message points to the other item, which
  // reports a folder of its own choosing without that hint. Root acts as "nobody" for it.
  std::filesystem::permissions(m_dir.path(), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  const bool root = geteuid() == 0;
  ASSERT_FALSE(root && (chown(m_dir.path().c_str(), 65534, 65534) != 0 || seteuid(65534) != 0))
      << "cannot act as nobody";
  answer = QString::fromStdString(m_dir.file("other.csv"));
  const QStringList boxes = exportCsv();
  const QStringList asBoxes = test::answerBoxes([this] { m_shell->writeCsvFileAs(); });
  if (root && seteuid(0) != 0) std::abort();
  const QString denied = QString::fromUtf8(std::strerror(EACCES));
  const QString hint = QStringLiteral("Use \"TLM File\" > \"Write CSV File As");
  EXPECT_TRUE(oneBox(boxes, {QString::fromStdString(csvPath()), denied, hint}));
  EXPECT_TRUE(oneBox(asBoxes, {answer, denied}));
  EXPECT_FALSE(holds(asBoxes.join(""), hint));
  EXPECT_FALSE(holds(fileLabel(), "other.csv"));  // not said to be written
}

// Logs named at start are read also while the window is kept off the screen (started minimised,
// on another workspace), where it is never exposed.
TEST(AppShellStart, LogsNamedAtStartAreReadWhileTheWindowIsOffTheScreen) {
  MainWindow window;
  auto* shell = new AppShell(window, {}, {});
  window.winId();  // the window system's window, never shown
  shell->openLogsWhenShown({QString::fromStdString(test::generatedLog(12, 1))});
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.packets().count() == 12; }, 10000));
}

}  // namespace
}  // namespace twk
