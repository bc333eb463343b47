#include "ui/log_file_dialog.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTimer>

#include "ui/user_settings.h"

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

  // Qt reads "*.*" literally and would hide names without a dot ("catalog", which a drop takes
  // for a log). Once the dialog has applied "All Files (*.*)", it is widened to every file.
  auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  auto* model = dialog.findChild<QFileSystemModel*>();
  if (types == nullptr || model == nullptr) return;
  const int allFiles = static_cast<int>(logFileFilters().size()) - 1;
  QObject::connect(types, &QComboBox::currentIndexChanged, &dialog, [model, allFiles](int index) {
    if (index != allFiles) return;
    QTimer::singleShot(0, model, [model] { model->setNameFilters({QStringLiteral("*")}); });
  });
}

FileChooser logFileDialog(QWidget* parent, bool several, const QString& title) {
  return [parent, several, title]() -> std::optional<QStringList> {
    QFileDialog dialog(parent);
    setUpLogFileDialog(dialog);
    if (!several) dialog.setFileMode(QFileDialog::ExistingFile);
    if (!title.isEmpty()) dialog.setWindowTitle(title);
    const auto which = several ? user_settings::Dialog::OpenLog : user_settings::Dialog::FollowLog;
    user_settings::restoreDialog(dialog, which);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    user_settings::rememberDialog(dialog, which);
    return dialog.selectedFiles();
  };
}

}  // namespace twk
