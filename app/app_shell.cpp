#include "app/app_shell.h"

#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenuBar>
#include <QShortcut>
#include <QTimer>
#include <QWindow>
#include <utility>

#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/log_file_dialog.h"
#include "ui/log_view.h"
#include "ui/settings_dialog.h"
#include "ui/user_settings.h"

namespace twk {

AppShell::AppShell(Form1& window, FileChooser chooser, QString csvFolder)
    : QObject(&window),
      m_window(window),
      m_open(window, std::move(chooser)),
      m_follow(new LogFollowCommand(window,
                                    logFileDialog(&window, false, QStringLiteral("Follow Log")))),
      m_export(window, std::move(csvFolder)),
      m_drop(window) {
  buildMenus();
  window.setPacketsHeld(user_settings::packetsHeld());
  connect(window.RichTextBox1(), &LogView::filesDropped, this,
          [this](const QMimeData& data) { m_drop.RichTextBox1_OLEDragDrop(data); });
}

// The about box has no owner, so nothing else would delete one still open when the shell goes.
AppShell::~AppShell() {
  delete m_about.data();
}

void AppShell::buildMenus() {
  QMenuBar* bar = m_window.menuBar();
  // The shortcuts every desktop program has are shown beside the items, and every caption has
  // an access key ("&"), which the style underlines; the captions' text stays as it is.
  const auto item = [this](QWidget* menu, const char* name, const QString& text, auto handler,
                           QKeySequence shortcut = {}) {
    auto* action = new QAction(text, menu);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    menu->addAction(action);
    connect(action, &QAction::triggered, this, handler);
    return action;
  };

  QMenu* file = bar->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("MnuFile"));
  item(file, "MnuOpenFile", QStringLiteral("&Open"), &AppShell::MnuOpenFile_Click,
       QKeySequence(Qt::CTRL | Qt::Key_O));
  item(file, "MnuFollowLog", QStringLiteral("&Follow Log…"), &AppShell::MnuFollowLog_Click,
       QKeySequence(Qt::CTRL | Qt::Key_L));
  QAction* stop = item(file, "MnuStopFollowing", QStringLiteral("&Stop Following"),
                       &AppShell::MnuStopFollowing_Click, QKeySequence());
  stop->setEnabled(false);
  connect(m_follow, &LogFollowCommand::followingChanged, stop, &QAction::setEnabled);
  item(file, "MnuSettings", QStringLiteral("Se&ttings\u2026"),
       [this] { SettingsDialog::edit(m_window); });
  item(file, "MnuExit", QStringLiteral("E&xit"), &AppShell::MnuExit_Click,
       QKeySequence(Qt::CTRL | Qt::Key_Q));

  QMenu* tlm = bar->addMenu(QStringLiteral("&TLM File"));
  tlm->setObjectName(QStringLiteral("MnuTLMFile"));
  item(tlm, "WriteCSVFile", QStringLiteral("&Write CSV File"), &AppShell::WriteCSVFile_Click,
       QKeySequence(Qt::CTRL | Qt::Key_S));
  item(tlm, "WriteCSVFileAs", QStringLiteral("Write CSV File &As\u2026"),
       &AppShell::WriteCSVFileAs_Click);

  item(bar, "MnuInfo", QStringLiteral("&Info"), &AppShell::MnuInfo_Click);

  // F10 opens the first menu, as on other desktops; Qt on Linux leaves F10 to the program.
  auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), &m_window);
  connect(f10, &QShortcut::activated, bar, [bar] { bar->setActiveAction(bar->actions().front()); });
}

void AppShell::openLogs(const QStringList& paths) {
  QStringList chosen;
  for (const QString& path : paths) {
    chosen += path.isEmpty() ? path : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
  }
  OpenFileCommand(m_window, [chosen] { return std::optional(chosen); }).MnuOpenFile_Click();
}

void AppShell::openLogsWhenShown(const QStringList& paths) {
  m_logsWhenShown = paths;
  QWindow* window = m_window.windowHandle();
  if (window != nullptr && !window->isExposed()) {
    window->installEventFilter(this);
    // A window kept off the screen (started minimised, on another workspace) gets them anyway.
    QTimer::singleShot(2000, this, &AppShell::openLogsNamedAtStart);
    return;
  }
  QTimer::singleShot(0, this, &AppShell::openLogsNamedAtStart);
}

void AppShell::openLogsNamedAtStart() {
  if (!m_logsWhenShown.isEmpty()) openLogs(std::exchange(m_logsWhenShown, {}));
}

bool AppShell::eventFilter(QObject* watched, QEvent* event) {
  auto* window = qobject_cast<QWindow*>(watched);
  if (window != nullptr && event->type() == QEvent::Expose && window->isExposed()) {
    window->removeEventFilter(this);
    // After the exposure is handled, so that the message appears over the painted window.
    QTimer::singleShot(0, this, &AppShell::openLogsNamedAtStart);
  }
  return QObject::eventFilter(watched, event);
}

void AppShell::MnuExit_Click() {
  m_window.close();
}

void AppShell::MnuInfo_Click() {
  if (m_about == nullptr) {
    m_about = new Form2();
    // It has no owner, so the window system would not place it over the main window itself.
    // Its frame is taken to be as large as the main window's.
    const QSize decoration = m_window.frameGeometry().size() - m_window.size();
    const QRect box(QPoint(), m_about->size() + decoration);
    m_about->move(m_window.frameGeometry().center() - box.center());
  }
  m_about->show();
  m_about->raise();
  m_about->activateWindow();
}

}  // namespace twk
