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

}  // namespace twk
