#include "ui/decode_failure_text.h"

#include <QFile>

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
