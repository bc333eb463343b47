#include "ui/open_file_command.h"

#include <QFileInfo>

#include "core/error.h"
#include "ui/decode_failure_text.h"
#include "ui/main_window.h"
#include "ui/message_box.h"

namespace twk {

OpenFileCommand::OpenFileCommand(MainWindow& window, FileChooser chooser)
    : m_window(window), m_chooser(std::move(chooser)) {}

qsizetype OpenFileCommand::answerLength(const QStringList& paths) {
  if (paths.size() == 1) return paths.front().size();
  qsizetype length = QFileInfo(paths.front()).absolutePath().size();
  for (const QString& path : paths) length += 1 + QFileInfo(path).fileName().size();
  return length;
}

void OpenFileCommand::run() {
  const std::optional<QStringList> chosen = m_chooser();
  if (chosen && !chosen->isEmpty()) load(*chosen);
}

void OpenFileCommand::load(const QStringList& paths) {
  if (answerLength(paths) > kMaxAnswerLength) {
    showMessage(&m_window, QStringLiteral("Es wurden zu viele Dateien ausgewählt!"));
    return;
  }
  // The label names the last file read: the decoder shows each one as it opens it, so a file
  // that cannot be opened is named only in the message.
  m_window.startLoad();
  std::vector<Error> skipped;
  for (qsizetype i = 0; i < paths.size(); ++i) {
    if (paths[i].isEmpty()) continue;
    try {
      m_window.loadLog(paths[i], skipped);
    } catch (const Error& error) {
      // A file that never opened left the window as it was; after the store was emptied for
      // this load, it has to show the load as it now stands.
      if (error.kind() == ErrorKind::OpenFailed) m_window.showLoad();
      QString text = decodeFailureText(error, paths.mid(i + 1));
      if (!skipped.empty()) text += QStringLiteral("\n\n") + skippedLinesText(skipped);
      showMessage(&m_window, text);
      return;
    }
  }
  // Lines skipped say more about a load than that it holds no packet.
  if (!skipped.empty()) {
    showMessage(&m_window, skippedLinesText(skipped));
  } else if (m_window.packets().count() == 0) {
    showMessage(&m_window, noPacketsText(paths));
  }
}

}  // namespace twk
