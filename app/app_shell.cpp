#include "app/app_shell.h"

#include <QDir>
#include <QFileInfo>
#include <QMenuBar>

#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/log_file_dialog.h"
#include "ui/log_view.h"

namespace twk {

AppShell::AppShell(Form1& window, FileChooser chooser, QString csvFolder)
    : QObject(&window),
      m_window(window),
      m_open(window, std::move(chooser)),
      m_follow(new LogFollowCommand(window, logFileDialog(&window, false))),
      m_export(window, std::move(csvFolder)),
      m_drop(window) {
  buildMenus();
  connect(window.RichTextBox1(), &LogView::filesDropped, this,
          [this](const QMimeData& data) { m_drop.RichTextBox1_OLEDragDrop(data); });
}

// The about box has no owner, so nothing else would delete one still open when the shell goes.
AppShell::~AppShell() {
  delete m_about.data();
}

void AppShell::buildMenus() {
  QMenuBar* bar = m_window.menuBar();
  const auto item = [this](QWidget* menu, const char* name, const QString& text, auto handler) {
    auto* action = new QAction(text, menu);
    action->setObjectName(QLatin1String(name));
    menu->addAction(action);
    connect(action, &QAction::triggered, this, handler);
    return action;
  };

  QMenu* file = bar->addMenu(QStringLiteral("File"));
  file->setObjectName(QStringLiteral("MnuFile"));
  item(file, "MnuOpenFile", QStringLiteral("Open"), &AppShell::MnuOpenFile_Click);
  item(file, "MnuFollowLog", QStringLiteral("Follow Log…"), &AppShell::MnuFollowLog_Click)
      ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
  QAction* stop = item(file, "MnuStopFollowing", QStringLiteral("Stop Following"),
                       &AppShell::MnuStopFollowing_Click);
  stop->setEnabled(false);
  connect(m_follow, &LogFollowCommand::followingChanged, stop, &QAction::setEnabled);
  item(file, "MnuExit", QStringLiteral("Exit"), &AppShell::MnuExit_Click);

  QMenu* tlm = bar->addMenu(QStringLiteral("TLM File"));
  tlm->setObjectName(QStringLiteral("MnuTLMFile"));
  item(tlm, "WriteCSVFile", QStringLiteral("Write CSV File"), &AppShell::WriteCSVFile_Click);

  item(bar, "MnuInfo", QStringLiteral("Info"), &AppShell::MnuInfo_Click);
}

void AppShell::openLogs(const QStringList& paths) {
  QStringList chosen;
  for (const QString& path : paths) {
    chosen += path.isEmpty() ? path : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
  }
  OpenFileCommand(m_window, [chosen] { return std::optional(chosen); }).MnuOpenFile_Click();
}

void AppShell::MnuExit_Click() {
  m_window.close();
}

void AppShell::MnuInfo_Click() {
  if (m_about == nullptr) m_about = new Form2();
  m_about->show();
  m_about->raise();
  m_about->activateWindow();
}

}  // namespace twk
