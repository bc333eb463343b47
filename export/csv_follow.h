#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace twk {

// Writes the CSV of a log that a station is still writing to the descriptor out: the header and
// the rows of the packets already there, then each new packet's row as soon as its line is
// complete, every batch written at once. Changes to the file (truncated, replaced) and each line
// that cannot be stored ("FILE:LINE: REASON; line skipped"), which gives no row, are told to
// note. Waits without polling busily: on the file system's change events, and a quarter second
// at most, as some file systems (network folders) send none. Returns once stopFd becomes
// readable, after writing the row of every line completed by then. Throws Error for a failing
// read or write, and for a change watch on the file or its folder that cannot be set. Returns the
// number of packets written.
std::uint64_t followLogAsCsv(const std::string& path, int out, std::string_view separator,
                             int stopFd, const std::function<void(const std::string&)>& note);

}  // namespace twk
