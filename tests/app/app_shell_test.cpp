#include "app/app_shell.h"

#include <gtest/gtest.h>

#include <QLabel>

#include "app/shell_fixture.h"
#include "ui/form2.h"

namespace twk {
namespace {

class AppShellTest : public test::ShellTest {};

// "Info" shows the one about box; closed, it is gone, and the next "Info" loads a fresh one.
// Exit and the about box in the real window are checked by the end-to-end test.
TEST_F(AppShellTest, OneAboutBoxLoadedAnewAfterItWasClosed) {
  const auto boxes = [] {
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) count += qobject_cast<Form2*>(w) != nullptr;
    return count;
  };
  m_shell->MnuInfo_Click();
  QPointer<Form2> first = m_shell->aboutBox();
  ASSERT_NE(first, nullptr);
  auto* version = first->findChild<QLabel*>(QStringLiteral("Label2"));
  const QString loaded = version->text();
  version->setText(QStringLiteral("changed"));
  m_shell->MnuInfo_Click();
  EXPECT_EQ(boxes(), 1);
  EXPECT_EQ(version->text(), "changed");
  first->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(first, nullptr);
  m_shell->MnuInfo_Click();
  EXPECT_EQ(boxes(), 1);
  EXPECT_EQ(m_shell->aboutBox()->findChild<QLabel*>(QStringLiteral("Label2"))->text(), loaded);
}

}  // namespace
}  // namespace twk
