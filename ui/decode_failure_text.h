#pragma once

#include <QString>
#include <QStringList>

namespace twk {

class Error;

// The message shown when a load stops on an error: the file, the line number where there is
// one, the reason, that the packets read before it stay, and the chosen files left unread.
QString decodeFailureText(const Error& error, const QStringList& notRead);

}  // namespace twk
