#include "app/app_shell.h"

#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenuBar>
#include <QShortcut>
#include <QTimer>
#include <QWindow>
#include <utility>

#include "ui/about_box.h"
#include "ui/limits_editor.h"
#include "ui/log_file_dialog.h"
#include "ui/log_view.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"
#include "ui/user_settings.h"

namespace twk {

AppShell::AppShell(MainWindow& window, FileChooser chooser, QString csvFolder)
    : QObject(&window),
      m_window(window),
      m_open(window, std::move(chooser)),
      m_follow(new LogFollowCommand(window,
                                    logFileDialog(&window, false, QStringLiteral("Follow Log")))),
      m_export(window, std::move(csvFolder)),
      m_drop(window) {
  buildMenus();
  window.setPacketsHeld(user_settings::packetsHeld());
  m_export.setOnWritten([this](const QString& path) { m_follow->noteWritten(path); });
  connect(&window.logView(), &LogView::filesDropped, this,
          [this](const QMimeData& data) { m_drop.take(data); });
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
                           const QKeySequence& shortcut = {}) {
    auto* action = new QAction(text, menu);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    menu->addAction(action);
    connect(action, &QAction::triggered, this, handler);
    return action;
  };

  QMenu* file = bar->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("fileMenu"));
  item(file, "open", QStringLiteral("&Open"), &AppShell::open, QKeySequence(Qt::CTRL | Qt::Key_O));
  item(file, "followLog", QStringLiteral("&Follow Log…"), &AppShell::followLog,
       QKeySequence(Qt::CTRL | Qt::Key_L));
  QAction* stop = item(file, "stopFollowing", QStringLiteral("&Stop Following"),
                       &AppShell::stopFollowing, QKeySequence());
  stop->setEnabled(false);
  connect(m_follow, &LogFollowCommand::followingChanged, stop, &QAction::setEnabled);
  item(file, "settings", QStringLiteral("Se&ttings\u2026"),
       [this] { SettingsDialog::edit(m_window); });
  item(file, "exit", QStringLiteral("E&xit"), &AppShell::exit, QKeySequence(Qt::CTRL | Qt::Key_Q));

  QMenu* tlm = bar->addMenu(QStringLiteral("&TLM File"));
  tlm->setObjectName(QStringLiteral("tlmFileMenu"));
  item(tlm, "writeCsvFile", QStringLiteral("&Write CSV File"), &AppShell::writeCsvFile,
       QKeySequence(Qt::CTRL | Qt::Key_S));
  item(tlm, "writeCsvFileAs", QStringLiteral("Write CSV File &As\u2026"),
       &AppShell::writeCsvFileAs);
  tlm->addSeparator();
  item(
      tlm, "limitCrossings", QStringLiteral("&Limit Crossings\u2026"),
      [this] { m_window.showCrossingsList(); }, QKeySequence(Qt::CTRL | Qt::Key_K));
  item(
      tlm, "nextCrossing", QStringLiteral("&Next Crossing"), [this] { m_window.showCrossing(1); },
      QKeySequence(Qt::Key_F8));
  item(
      tlm, "previousCrossing", QStringLiteral("&Previous Crossing"),
      [this] { m_window.showCrossing(-1); }, QKeySequence(Qt::SHIFT | Qt::Key_F8));
  item(
      tlm, "acknowledgeAlarm", QStringLiteral("Ac&knowledge Alarm"),
      [this] { m_window.acknowledgeAlarm(); }, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K));
  item(tlm, "editLimits", QStringLiteral("&Edit Limits\u2026"),
       [this] { LimitsEditor::edit(m_window); });

  item(bar, "info", QStringLiteral("&Info"), &AppShell::showAbout);

  // F10 opens the first menu, as on other desktops; Qt on Linux leaves F10 to the program.
  auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), &m_window);
  connect(f10, &QShortcut::activated, bar, [bar] { bar->setActiveAction(bar->actions().front()); });
}

void AppShell::openLogs(const QStringList& paths) {
  QStringList chosen;
  for (const QString& path : paths) {
    chosen += path.isEmpty() ? path : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
  }
  m_open.load(chosen);
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

void AppShell::exit() {
  m_window.close();
}

void AppShell::showAbout() {
  if (m_about == nullptr) {
    m_about = new AboutBox();
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
