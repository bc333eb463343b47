#include "ui/csv_export_command.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <span>
#include <string>
#include <vector>

#include "core/error.h"
#include "export/csv_writer.h"
#include "ui/form1.h"
#include "ui/message_box.h"

namespace twk {

CsvExportCommand::CsvExportCommand(Form1& window, QString folder)
    : m_window(window), m_folder(std::move(folder)) {}

QString CsvExportCommand::path() const {
  return m_folder + QDir::separator() +
         QString::fromUtf8(kCsvFileName.data(), static_cast<qsizetype>(kCsvFileName.size()));
}

void CsvExportCommand::WriteCSVFile_Click() {
  std::vector<std::string> captions;
  for (int n = 0; n < kChannelCount; ++n) {
    // The file is 8-bit text, as the captions are; none of the window's holds another letter.
    captions.push_back(m_window.channelCaption(n).toLocal8Bit().toStdString());
  }
  const std::string separator = QLocale::system().decimalPoint().toStdString();
  const std::span<const ChannelRow> rows(m_window.values().Channel_Values.data() + 1,
                                         static_cast<std::size_t>(m_window.packets().Packet_Count));
  const QString target = path();
  try {
    writeCsvFile(QFile::encodeName(target).toStdString(), captions, rows, separator);
  } catch (const Error& error) {
    showMessage(&m_window, QStringLiteral("%1 was not written:\n%2")
                               .arg(target, QString::fromStdString(error.reason())));
    return;
  }
  m_window.Label3()->setText(target + QStringLiteral(" has been written"));
}

}  // namespace twk
