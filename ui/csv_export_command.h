#pragma once

#include <QString>

namespace twk {

class Form1;

// "TLM File" > "Write CSV File": every loaded packet's values to "twk_telemetry.csv" in the
// program's folder, with the window's channel captions as the header. Label3 reports the file
// only once it has replaced the old one whole; a failure is shown in a message and leaves the
// old file and Label3 as they were.
class CsvExportCommand {
 public:
  // folder is where the file goes; the program's folder unless a test gives another.
  CsvExportCommand(Form1& window, QString folder);

  void WriteCSVFile_Click();

  // The folder, the platform's separator and the file name.
  QString path() const;

 private:
  Form1& m_window;
  QString m_folder;
};

}  // namespace twk
