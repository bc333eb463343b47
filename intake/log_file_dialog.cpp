#include "intake/log_file_dialog.h"

#include <QFileDialog>

namespace twk {

QStringList logFileFilters() {
  return {QStringLiteral("Log Files (*.log)"), QStringLiteral("Text Files (*.txt)"),
          QStringLiteral("All Files (*.*)")};
}

void setUpLogFileDialog(QFileDialog& dialog) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setNameFilters(logFileFilters());
  dialog.selectNameFilter(logFileFilters().front());
  dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
}

FileChooser logFileDialog(QWidget* parent) {
  return [parent]() -> std::optional<QStringList> {
    QFileDialog dialog(parent);
    setUpLogFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.selectedFiles();
  };
}

}  // namespace twk
