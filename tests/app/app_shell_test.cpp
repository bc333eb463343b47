#include "app/app_shell.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "app/form2.h"
#include "app/shell_fixture.h"
#include "ui/modal_boxes.h"
#include "ui/test_logs.h"

namespace twk {
namespace {

class AppShellTest : public test::ShellTest {
 protected:
  QAction* action(const char* name) const {
    auto* found = m_window.findChild<QAction*>(QLatin1String(name));
    if (found == nullptr) throw std::runtime_error(std::string("no action ") + name);
    return found;
  }
  // The about boxes that exist, shown or not.
  static QList<Form2*> aboutBoxes() {
    QList<Form2*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* box = qobject_cast<Form2*>(w)) boxes += box;
    }
    return boxes;
  }
  static void closeAndDelete(QWidget* window) {
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
};

TEST_F(AppShellTest, MenuBarAsTheUserSeesIt) {
  struct Entry {
    QString text;
    QString name;
    QStringList items;  // text and object name, in turns
  };
  const Entry expected[] = {
      {"File", "MnuFile", {"Open", "MnuOpenFile", "Exit", "MnuExit"}},
      {"TLM File", "MnuTLMFile", {"Write CSV File", "WriteCSVFile"}},
      {"Info", "MnuInfo", {}},
  };
  const QList<QAction*> top = m_window.menuBar()->actions();
  ASSERT_EQ(top.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const Entry& e = expected[i];
    QAction* a = top[qsizetype(i)];
    EXPECT_EQ(a->text(), e.text);
    EXPECT_TRUE(a->shortcut().isEmpty());
    QMenu* menu = a->menu();
    QStringList items;
    if (menu != nullptr) {
      EXPECT_EQ(menu->objectName(), e.name);
      for (QAction* item : menu->actions()) {
        EXPECT_FALSE(item->isSeparator());
        EXPECT_FALSE(item->isCheckable());
        EXPECT_TRUE(item->isEnabled());
        EXPECT_TRUE(item->shortcut().isEmpty());
        items << item->text() << item->objectName();
      }
    } else {
      EXPECT_EQ(a->objectName(), e.name);
    }
    EXPECT_EQ(items, e.items);
  }
}

TEST_F(AppShellTest, MenuItemsRunTheirCommands) {
  m_choice = QStringList(QString::fromStdString(test::generatedLog(12, 1)));
  action("MnuOpenFile")->trigger();
  EXPECT_EQ(m_chooserCalls, 1);
  EXPECT_EQ(count(), 12);
  action("WriteCSVFile")->trigger();
  EXPECT_TRUE(std::filesystem::exists(m_dir.file("twk_telemetry.csv")));
  EXPECT_TRUE(label3().endsWith(" has been written"));
  action("MnuInfo")->trigger();
  EXPECT_EQ(aboutBoxes().size(), 1);
}

TEST_F(AppShellTest, OneAboutBoxThatLoadsAnewAfterItWasClosed) {
  ASSERT_TRUE(aboutBoxes().isEmpty());
  m_shell->MnuInfo_Click();
  QPointer<Form2> first = m_shell->aboutBox();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->isVisible());
  EXPECT_EQ(first->parentWidget(), nullptr);  // no owner
  EXPECT_FALSE(first->isModal());
  EXPECT_EQ(first->windowModality(), Qt::NonModal);
  EXPECT_EQ(first->windowTitle(), "Info");
  auto* version = first->findChild<QLabel*>(QStringLiteral("Label2"));
  EXPECT_EQ(version->text(), "Ver.1.0 - 2012, Feb 16");
  EXPECT_EQ(first->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
            "Tarnwick (TWK) Telemetry Decoder");
  EXPECT_EQ(first->findChild<QLabel*>(QStringLiteral("Label8"))->text(), "Ostrel");
  EXPECT_EQ(first->findChild<QLabel*>(QStringLiteral("Image1"))->pixmap().size(), QSize(300, 222));
  ASSERT_EQ(first->logicalDpiX(), 96) << "the sizes below are for 96 dpi";
  EXPECT_EQ(first->size(), QSize(548, 225));

  // A second "Info" shows the same box without loading it again.
  version->setText(QStringLiteral("changed"));
  m_shell->MnuInfo_Click();
  EXPECT_EQ(m_shell->aboutBox(), first);
  EXPECT_EQ(aboutBoxes().size(), 1);
  EXPECT_EQ(version->text(), "changed");

  // The main window stays usable meanwhile, and after a close "Info" loads a fresh box.
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  closeAndDelete(first);
  EXPECT_EQ(first, nullptr);
  m_shell->MnuInfo_Click();
  ASSERT_NE(m_shell->aboutBox(), nullptr);
  EXPECT_EQ(aboutBoxes().size(), 1);
  EXPECT_EQ(m_shell->aboutBox()->findChild<QLabel*>(QStringLiteral("Label2"))->text(),
            "Ver.1.0 - 2012, Feb 16");
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
  QTimer exitSoon, closeAboutLater, giveUp;
  for (QTimer* t : {&exitSoon, &closeAboutLater, &giveUp}) t->setSingleShot(true);
  QObject::connect(&exitSoon, &QTimer::timeout,
                   [&] { boxes = test::answerBoxes([this] { action("MnuExit")->trigger(); }); });
  QObject::connect(&closeAboutLater, &QTimer::timeout, [&] {
    runningAfterExit = true;
    EXPECT_FALSE(m_window.isVisible());
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    about->close();
  });
  QObject::connect(&giveUp, &QTimer::timeout, [&] {
    timedOut = true;
    QCoreApplication::quit();
  });
  exitSoon.start(0);
  closeAboutLater.start(100);
  giveUp.start(5000);
  QApplication::exec();

  EXPECT_TRUE(runningAfterExit);
  EXPECT_FALSE(timedOut);
  EXPECT_TRUE(boxes.empty());                                              // nothing is asked
  EXPECT_FALSE(std::filesystem::exists(m_dir.file("twk_telemetry.csv")));  // nothing is saved
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(about, nullptr);
}

}  // namespace
}  // namespace twk
