#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace twk {

class Error;

// The message shown when a load stops on an error: the file, the line number where there is
// one, the reason, that the packets read before it stay, and the chosen files left unread.
QString decodeFailureText(const Error& error, const QStringList& notRead);

// The message shown at the end of a load that read past lines it could not store: each line's
// file, number and reason, at most kListedSkippedLines of them, then how many more there were.
inline constexpr int kListedSkippedLines = 10;
QString skippedLinesText(const std::vector<Error>& skipped);

// The message shown when a whole load, or a dropped file, holds no Tarnwick packet: the files,
// and what a packet's line must carry, so the user can tell a wrong file from a damaged one.
QString noPacketsText(const QStringList& files);

}  // namespace twk
