#include "ui/dropped_file_intake.h"

#include <QMimeData>
#include <QUrl>

#include "core/error.h"
#include "ui/decode_failure_text.h"
#include "ui/main_window.h"
#include "ui/message_box.h"

namespace twk {

bool DroppedFileIntake::isLogName(const QString& path) {
  return path.right(3).toUpper() == QLatin1String("LOG");
}

void DroppedFileIntake::take(const QMimeData& data) {
  QString first;
  for (const QUrl& url : data.urls()) {
    if (url.isLocalFile()) {
      first = url.toLocalFile();
      break;
    }
  }
  if (first.isEmpty() || !isLogName(first)) return;
  std::vector<Error> skipped;
  try {
    const int added = m_window.loadLog(first, skipped, MainWindow::WhenEmpty::Keep);
    if (!skipped.empty()) {
      showMessage(&m_window, skippedLinesText(skipped));
    } else if (added == 0) {
      showMessage(&m_window, noPacketsText({first}));
    }
  } catch (const Error& error) {
    QString text = decodeFailureText(error, {});
    if (!skipped.empty()) text += QStringLiteral("\n\n") + skippedLinesText(skipped);
    showMessage(&m_window, text);
  }
}

}  // namespace twk
