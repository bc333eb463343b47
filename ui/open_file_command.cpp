#include "ui/open_file_command.h"

#include <QFileInfo>
#include <QLabel>
#include <QListWidget>

#include "core/error.h"
#include "ui/decode_failure_text.h"
#include "ui/form1.h"
#include "ui/message_box.h"

namespace twk {

OpenFileCommand::OpenFileCommand(Form1& window, FileChooser chooser)
    : m_window(window), m_chooser(std::move(chooser)) {}

qsizetype OpenFileCommand::answerLength(const QStringList& paths) {
  if (paths.size() == 1) return paths.front().size();
  qsizetype length = QFileInfo(paths.front()).absolutePath().size();
  for (const QString& path : paths) length += 1 + QFileInfo(path).fileName().size();
  return length;
}

void OpenFileCommand::MnuOpenFile_Click() {
  const std::optional<QStringList> chosen = m_chooser();
  if (!chosen || chosen->isEmpty()) return;
  if (answerLength(*chosen) > kMaxAnswerLength) {
    showMessage(&m_window, QStringLiteral("Es wurden zu viele Dateien ausgewählt!"));
    return;
  }

  QListWidget* list = m_window.List2();
  list->clear();
  list->addItems(*chosen);
  m_window.packets().clear();
  std::vector<Error>& skipped = m_window.skippedLines();
  skipped.clear();
  // The label names the last file read: the decoder shows each one as it opens it, so a file
  // that cannot be opened is named only in the message.
  m_window.Label3()->clear();

  const int count = list->count();
  for (int i = 0; i < count; ++i) {
    m_window.Log_FileName = list->item(i)->text();
    if (m_window.Log_FileName.isEmpty()) continue;
    try {
      m_window.Decode_TextFile();
    } catch (const Error& error) {
      // A file that never opened left the window as it was; after the count was reset for this
      // load, it has to show the load as it now stands.
      if (error.kind() == ErrorKind::OpenFailed) m_window.Make_Channels();
      QStringList notRead;
      for (int rest = i + 1; rest < count; ++rest) notRead += list->item(rest)->text();
      QString text = decodeFailureText(error, notRead);
      if (!skipped.empty()) text += QStringLiteral("\n\n") + skippedLinesText(skipped);
      showMessage(&m_window, text);
      return;
    }
  }
  // Lines skipped say more about a load than that it holds no packet.
  if (!skipped.empty()) {
    showMessage(&m_window, skippedLinesText(skipped));
  } else if (m_window.packets().count() == 0) {
    showMessage(&m_window, noPacketsText(*chosen));
  }
}

}  // namespace twk
