#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "ui/about_box.h"
#include "ui/csv_export_command.h"
#include "ui/dropped_file_intake.h"
#include "ui/log_follow_command.h"
#include "ui/open_file_command.h"

namespace twk {

class MainWindow;

// What surrounds the main window's work: the menu bar with its commands ("File" with "Open",
// "Follow Log…", "Stop Following", "Settings…" and "Exit", "TLM File" with "Write CSV File" and
// "Write CSV File As…", and "Info"), their shortcuts, the log view's drop intake and the about
// box. It applies the user's settings to the window, and lives as long as the window it is made
// for, as a child of it. The menus' actions carry the names of the methods they run as object
// names ("open", "followLog", "writeCsvFile", ...).
class AppShell : public QObject {
  Q_OBJECT

 public:
  // chooser picks the files to open; csvFolder is where the CSV export writes.
  AppShell(MainWindow& window, FileChooser chooser, QString csvFolder);
  ~AppShell() override;

  void open() { m_open.run(); }
  // Opens logs named on the command line as "Open" does when they are chosen in the dialog:
  // one fresh load, full paths, the same messages.
  void openLogs(const QStringList& paths);
  // Opens them once the window is on the screen: the window manager places the window only when
  // it maps it, and a message about the logs is centred on the window as placed.
  void openLogsWhenShown(const QStringList& paths);
  void followLog() { m_follow->run(); }
  void stopFollowing() { m_follow->stop(); }
  LogFollowCommand& followCommand() { return *m_follow; }
  void writeCsvFile() { m_export.write(); }
  void writeCsvFileAs() { m_export.writeAs(); }
  // Closes the main window without a question; an open about box stays, and the program ends
  // when the last window is closed.
  void exit();
  // Shows the about box, building it first unless it is open already: there is at most one.
  void showAbout();

  AboutBox* aboutBox() const { return m_about; }
  CsvExportCommand& csvExport() { return m_export; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildMenus();
  void openLogsNamedAtStart();

  MainWindow& m_window;
  OpenFileCommand m_open;
  LogFollowCommand* m_follow;  // a child of the window
  CsvExportCommand m_export;
  DroppedFileIntake m_drop;
  QPointer<AboutBox> m_about;
  QStringList m_logsWhenShown;
};

}  // namespace twk
