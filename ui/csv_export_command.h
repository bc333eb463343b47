#pragma once

#include <QString>
#include <functional>

namespace twk {

class MainWindow;

// "TLM File" > "Write CSV File": every loaded packet's values to "twk_telemetry.csv" in the
// program's folder, with the window's channel captions as the header. "Write CSV File As…"
// writes the same bytes where the user chooses. The file label reports the file only once it
// has replaced the old one whole; a failure is shown in a message and leaves the old file and
// the label as they were. With no packet loaded neither writes anything: a message says so.
class CsvExportCommand {
 public:
  // The message of either command when no packet is loaded.
  static const QString kNothingLoaded;

  // Asks where to write, given the suggested path; an empty answer cancels.
  using SaveChooser = std::function<QString(const QString& suggestedPath)>;

  // folder is where the file goes; the program's folder unless a test gives another.
  CsvExportCommand(MainWindow& window, QString folder);

  // "Write CSV File": to the folder given.
  void write();
  // "Write CSV File As…": where the chooser says.
  void writeAs();

  // The folder, the platform's separator and the file name.
  QString path() const;
  // "twk_telemetry.csv" in the folder of the last log read, or in the home folder.
  QString suggestedPath() const;
  void setSaveChooser(SaveChooser chooser) { m_chooser = std::move(chooser); }
  // Told the path of each file written, after the file label named it.
  void setOnWritten(std::function<void(const QString&)> onWritten) {
    m_onWritten = std::move(onWritten);
  }

 private:
  // Tells the user that there is nothing to write, if so.
  bool refuseEmptyLoad();
  // Writes the file; returns the reason of a failure, empty on success.
  QString writeTo(const QString& target);

  MainWindow& m_window;
  QString m_folder;
  SaveChooser m_chooser;
  std::function<void(const QString&)> m_onWritten;
};

}  // namespace twk
