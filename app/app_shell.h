#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "ui/csv_export_command.h"
#include "ui/dropped_file_intake.h"
#include "ui/form2.h"
#include "ui/log_follow_command.h"
#include "ui/open_file_command.h"

namespace twk {

class Form1;

// What surrounds the main window's work: the menu bar with its commands ("File" with "Open",
// "Follow Log…", "Stop Following", "Settings…" and "Exit", "TLM File" with "Write CSV File" and
// "Write CSV File As…", and "Info"), their shortcuts, the log view's drop intake and the about
// box. It applies the user's settings to the window, and lives as long as the window it is made
// for, as a child of it.
class AppShell : public QObject {
  Q_OBJECT

 public:
  // chooser picks the files to open; csvFolder is where the CSV export writes.
  AppShell(Form1& window, FileChooser chooser, QString csvFolder);
  ~AppShell() override;

  void MnuOpenFile_Click() { m_open.MnuOpenFile_Click(); }
  // Opens logs named on the command line as "Open" does when they are chosen in the dialog:
  // one fresh load, full paths in List2, the same messages.
  void openLogs(const QStringList& paths);
  // Opens them once the window is on the screen: the window manager places the window only when
  // it maps it, and a message about the logs is centred on the window as placed.
  void openLogsWhenShown(const QStringList& paths);
  void MnuFollowLog_Click() { m_follow->MnuFollowLog_Click(); }
  void MnuStopFollowing_Click() { m_follow->MnuStopFollowing_Click(); }
  LogFollowCommand& followCommand() { return *m_follow; }
  void WriteCSVFile_Click() { m_export.WriteCSVFile_Click(); }
  void WriteCSVFileAs_Click() { m_export.WriteCSVFileAs_Click(); }
  // Closes the main window without a question; an open about box stays, and the program ends
  // when the last window is closed.
  void MnuExit_Click();
  // Shows the about box, loading it first unless it is open already: there is at most one.
  void MnuInfo_Click();

  Form2* aboutBox() const { return m_about; }
  CsvExportCommand& csvExport() { return m_export; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildMenus();
  void openLogsNamedAtStart();

  Form1& m_window;
  OpenFileCommand m_open;
  LogFollowCommand* m_follow;  // a child of the window
  CsvExportCommand m_export;
  DroppedFileIntake m_drop;
  QPointer<Form2> m_about;
  QStringList m_logsWhenShown;
};

}  // namespace twk
