#include "ui/csv_export_command.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <span>
#include <string>
#include <vector>

#include "core/error.h"
#include "export/csv_writer.h"
#include "ui/eliding_label.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/user_settings.h"

namespace twk {
namespace {

QString csvFileName() {
  return QString::fromUtf8(kCsvFileName.data(), static_cast<qsizetype>(kCsvFileName.size()));
}

// Whether this process may create files in folder, judged with its effective user as the
// write itself is.
bool writableFolder(const QString& folder) {
  return ::faccessat(AT_FDCWD, QFile::encodeName(folder).constData(), W_OK, AT_EACCESS) == 0;
}

}  // namespace

const QString CsvExportCommand::kNothingLoaded =
    QStringLiteral("No packets are loaded, so no CSV file was written.\nOpen a log first.");

CsvExportCommand::CsvExportCommand(MainWindow& window, QString folder)
    : m_window(window), m_folder(std::move(folder)) {
  m_chooser = [this](const QString& suggested) {
    QFileDialog dialog(&m_window, QStringLiteral("Write CSV File As"), suggested,
                       QStringLiteral("CSV Files (*.csv);;All Files (*)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without an extension gets ".csv", and the replace question asks about it.
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    user_settings::restoreDialog(dialog, user_settings::Dialog::WriteCsvAs);
    dialog.selectFile(QFileInfo(suggested).fileName());
    if (dialog.exec() != QDialog::Accepted) return QString();
    user_settings::rememberDialog(dialog, user_settings::Dialog::WriteCsvAs);
    return dialog.selectedFiles().value(0);
  };
}

QString CsvExportCommand::path() const {
  return m_folder + QDir::separator() + csvFileName();
}

QString CsvExportCommand::suggestedPath() const {
  const QString& log = m_window.logPath();
  const QString folder = log.isEmpty() ? QDir::homePath() : QFileInfo(log).absolutePath();
  return QDir(folder).filePath(csvFileName());
}

QString CsvExportCommand::writeTo(const QString& target) {
  std::vector<std::string> captions;
  captions.reserve(kChannelCount);
  for (int n = 0; n < kChannelCount; ++n) {
    // The file is 8-bit text, as the captions are; none of the window's holds another letter.
    captions.push_back(m_window.channelCaption(n).toLocal8Bit().toStdString());
  }
  const std::string separator = QLocale::system().decimalPoint().toStdString();
  try {
    writeCsvFile(QFile::encodeName(target).toStdString(), captions, m_window.packets(), separator);
  } catch (const Error& error) {
    return QString::fromStdString(error.reason());
  }
  m_window.fileLabel().setParts({{target, true}, {QStringLiteral(" has been written")}});
  if (m_onWritten) m_onWritten(target);
  return {};
}

bool CsvExportCommand::refuseEmptyLoad() {
  // A header without rows would replace a file the user may still need.
  if (m_window.packets().count() > 0) return false;
  showMessage(&m_window, kNothingLoaded);
  return true;
}

void CsvExportCommand::write() {
  if (refuseEmptyLoad()) return;
  const QString target = path();
  const QString reason = writeTo(target);
  if (reason.isEmpty()) return;
  QString text = QStringLiteral("%1 was not written:\n%2").arg(target, reason);
  // An installed program's folder belongs to the system; the other command writes elsewhere.
  if (!writableFolder(m_folder)) {
    text += QStringLiteral(
        "\n\nThe program's folder cannot be written. Use \"TLM File\" > \"Write CSV File "
        "As\u2026\" to write the file to a folder of your choice.");
  }
  showMessage(&m_window, text);
}

void CsvExportCommand::writeAs() {
  if (refuseEmptyLoad()) return;
  const QString target = m_chooser(suggestedPath());
  if (target.isEmpty()) return;
  const QString reason = writeTo(target);
  if (!reason.isEmpty()) {
    showMessage(&m_window, QStringLiteral("%1 was not written:\n%2").arg(target, reason));
  }
}

}  // namespace twk
