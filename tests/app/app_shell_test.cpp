#include "app/app_shell.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <filesystem>

#include "app/shell_fixture.h"
#include "ui/form2.h"

namespace twk {
namespace {

class AppShellTest : public test::ShellTest {
 protected:
  QAction* action(const char* name) const { return control<QAction>(QLatin1String(name)); }
  // The about boxes that exist, shown or not.
  static QList<Form2*> aboutBoxes() {
    QList<Form2*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* box = qobject_cast<Form2*>(w)) boxes += box;
    }
    return boxes;
  }
};

TEST_F(AppShellTest, MenuBarAsTheUserSeesIt) {
  // Each entry's text and object name, then its items' in turns with their shortcuts, with no
  // separators and no check marks; "Stop Following" is offered only while a log is followed.
  QStringList seen;
  for (QAction* a : m_window.menuBar()->actions()) {
    QMenu* menu = a->menu();
    QStringList entry = {a->text(), menu != nullptr ? menu->objectName() : a->objectName()};
    for (QAction* item : menu != nullptr ? menu->actions() : QList<QAction*>()) {
      EXPECT_TRUE(!item->isSeparator() && !item->isCheckable()) << item->text().toStdString();
      EXPECT_EQ(item->isEnabled(), item->objectName() != "MnuStopFollowing");
      entry << item->text() << item->objectName() << item->shortcut().toString();
    }
    seen += entry.join('/');
  }
  EXPECT_EQ(seen, QStringList({"File/MnuFile/Open/MnuOpenFile/Ctrl+O/Follow Log\u2026/MnuFollowLog/"
                               "Ctrl+L/Stop Following/MnuStopFollowing//Exit/MnuExit/Ctrl+Q",
                               "TLM File/MnuTLMFile/Write CSV File/WriteCSVFile/Ctrl+S/"
                               "Write CSV File As\u2026/WriteCSVFileAs/",
                               "Info/MnuInfo"}));
}

TEST_F(AppShellTest, MenuItemsRunTheirCommandsAndOneAboutBoxLoadsAnewAfterItWasClosed) {
  m_choice = QStringList(QString::fromStdString(test::generatedLog(12, 1)));
  action("MnuOpenFile")->trigger();
  EXPECT_EQ(m_chooserCalls, 1);
  EXPECT_EQ(count(), 12);
  action("WriteCSVFile")->trigger();
  EXPECT_TRUE(std::filesystem::exists(csvPath()));
  EXPECT_TRUE(label3().endsWith(" has been written"));
  ASSERT_TRUE(aboutBoxes().isEmpty());
  action("MnuInfo")->trigger();
  QPointer<Form2> first = m_shell->aboutBox();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->isVisible());
  EXPECT_EQ(first->parentWidget(), nullptr);  // no owner
  EXPECT_EQ(first->windowModality(), Qt::NonModal);
  EXPECT_EQ(first->windowTitle(), "Info");
  const auto label = [](Form2* box, const char* name) {
    return box->findChild<QLabel*>(QLatin1String(name));
  };
  QLabel* version = label(first, "Label2");
  EXPECT_EQ(version->text(), "Ver.1.0 - 2012, Feb 16");
  EXPECT_EQ(label(first, "Label1")->text(), "Tarnwick (TWK) Telemetry Decoder");
  EXPECT_EQ(label(first, "Label8")->text(), "Ostrel");
  EXPECT_EQ(label(first, "Image1")->pixmap().size(), QSize(300, 222));
  ASSERT_EQ(first->logicalDpiX(), 96) << "the sizes below are for 96 dpi";
  EXPECT_EQ(first->size(), QSize(548, 225));

  // A second "Info" shows the same box without loading it again.
  version->setText(QStringLiteral("changed"));
  action("MnuInfo")->trigger();
  EXPECT_EQ(m_shell->aboutBox(), first);
  EXPECT_EQ(aboutBoxes().size(), 1);
  EXPECT_EQ(version->text(), "changed");

  // The main window stays usable meanwhile, and after a close "Info" loads a fresh box.
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  first->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(first, nullptr);
  m_shell->MnuInfo_Click();
  ASSERT_NE(m_shell->aboutBox(), nullptr);
  EXPECT_EQ(aboutBoxes().size(), 1);
  EXPECT_EQ(label(m_shell->aboutBox(), "Label2")->text(), "Ver.1.0 - 2012, Feb 16");
}

TEST_F(AppShellTest, LogsNamedAtStartLoadAsTheSameSelectionInOpenWould) {
  // A relative name becomes a full path, as the dialog gives; a file that cannot be read stops
  // the load with the open command's message, which names the files not read.
  std::filesystem::copy_file(test::generatedLog(9, 2), m_dir.file("second.log"));
  const QString first = QString::fromStdString(test::generatedLog(12, 1));
  const QString missing = QString::fromStdString(m_dir.file("missing.log"));
  const QString second = QString::fromStdString(m_dir.file("second.log"));
  const QString here = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(m_dir.path().string())));
  const std::vector<test::SeenBox> boxes = test::answerBoxes([&] {
    m_shell->openLogs({first, "./second.log", "missing.log", "sub/../second.log"});
  });
  QDir::setCurrent(here);

  EXPECT_EQ(m_chooserCalls, 0);
  EXPECT_EQ(list2(), QStringList({first, second, missing, second}));
  EXPECT_EQ(count(), 21);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(boxes[0].text.startsWith("Decoding stopped in " + missing))
      << boxes[0].text.toStdString();
  EXPECT_TRUE(boxes[0].text.endsWith("not read:\n" + second)) << boxes[0].text.toStdString();
}

TEST_F(AppShellTest, ExitClosesTheMainWindowOnlyAndTheProgramEndsWithTheLastWindow) {
  open({test::generatedLog(12, 1)});
  m_shell->MnuInfo_Click();
  QPointer<Form2> about = m_shell->aboutBox();
  ASSERT_NE(about, nullptr);

  // The program's own event loop, which ends when its last window is closed: "Exit" first,
  // then, if the loop still runs, the about box.
  std::vector<test::SeenBox> boxes;
  bool runningAfterExit = false;
  bool timedOut = false;
  // Timers that end with the window, should the loop end before they fire.
  QTimer::singleShot(0, &m_window,
                     [&] { boxes = test::answerBoxes([this] { action("MnuExit")->trigger(); }); });
  QTimer::singleShot(100, &m_window, [&] {
    runningAfterExit = true;
    EXPECT_FALSE(m_window.isVisible());
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    about->close();
  });
  QTimer::singleShot(5000, &m_window, [&] {
    timedOut = true;
    QCoreApplication::quit();
  });
  QApplication::exec();

  EXPECT_TRUE(runningAfterExit);
  EXPECT_FALSE(timedOut);
  EXPECT_TRUE(boxes.empty());                        // nothing is asked
  EXPECT_FALSE(std::filesystem::exists(csvPath()));  // nothing is saved
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(about, nullptr);
}

}  // namespace
}  // namespace twk
