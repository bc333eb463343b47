#pragma once

#include <QString>
#include <QStringList>

namespace twk {

class Error;

// The message shown when a load stops on an error: the file, the line number where there is
// one, the reason, that the packets read before it stay, and the chosen files left unread.
QString decodeFailureText(const Error& error, const QStringList& notRead);

// The message shown when a whole load, or a dropped file, holds no Tarnwick packet: the files,
// and what a packet's line must carry, so the user can tell a wrong file from a damaged one.
QString noPacketsText(const QStringList& files);

}  // namespace twk
