#include "ui/decode_failure_text.h"

#include <QFile>
#include <algorithm>

#include "core/error.h"

namespace twk {

QString decodeFailureText(const Error& error, const QStringList& notRead) {
  QString text =
      QStringLiteral("Decoding stopped in %1").arg(QFile::decodeName(error.file().c_str()));
  if (error.line() > 0) text += QStringLiteral(", line %1").arg(error.line());
  text += QStringLiteral(":\n") + QString::fromStdString(error.reason()) +
          QStringLiteral("\n\nThe packets read before the error are kept and shown.");
  if (!notRead.isEmpty()) {
    text +=
        QStringLiteral("\n\nThese chosen files were not read:\n") + notRead.join(QLatin1Char('\n'));
  }
  return text;
}

QString skippedLinesText(const std::vector<Error>& skipped) {
  const auto count = static_cast<qsizetype>(skipped.size());
  QString text = count == 1
                     ? QStringLiteral("One line could not be stored and was skipped:")
                     : QStringLiteral("%1 lines could not be stored and were skipped:").arg(count);
  for (qsizetype i = 0; i < std::min<qsizetype>(count, kListedSkippedLines); ++i) {
    const Error& error = skipped[static_cast<std::size_t>(i)];
    text += QStringLiteral("\n%1, line %2: %3")
                .arg(QFile::decodeName(error.file().c_str()))
                .arg(error.line())
                .arg(QString::fromStdString(error.reason()));
  }
  if (count > kListedSkippedLines) {
    text += QStringLiteral("\n… and %1 more.").arg(count - kListedSkippedLines);
  }
  return text + QStringLiteral("\n\nThe packets of every other line are loaded.");
}

QString noPacketsText(const QStringList& files) {
  const bool one = files.size() == 1;
  return (one ? QStringLiteral("No Tarnwick packets in %1.").arg(files.front())
              : QStringLiteral("No Tarnwick packets in these files:\n") +
                    files.join(QLatin1Char('\n'))) +
         QStringLiteral(
             "\n\nA Tarnwick packet is a line that carries the call sign X0TWK-1, "
             "written \"58 30 54 57 4B 2D 31\", at characters 13 to 32; ") +
         (one ? QStringLiteral("no line of this file does.")
              : QStringLiteral("no line of these files does."));
}

}  // namespace twk
