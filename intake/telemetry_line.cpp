#include "intake/telemetry_line.h"

#include <algorithm>
#include <cstring>

namespace twk {

bool isTelemetryLine(std::string_view line) {
  return line.size() >= kMarkerOffset + kMarker.size() &&
         line.substr(kMarkerOffset, kMarker.size()) == kMarker;
}

std::size_t countNonBlanks(std::string_view text) {
  return text.size() - static_cast<std::size_t>(std::count(text.begin(), text.end(), ' '));
}

std::size_t cutBlankRuns(char* text, std::size_t from, std::size_t size) {
  std::size_t end = from;
  for (std::size_t i = from; i < size; ++i) {
    const char c = text[i];
    if (c == ' ' && end >= kKeptAsRead + 2 && text[end - 1] == ' ' && text[end - 2] == ' ') {
      continue;
    }
    text[end++] = c;
  }
  return end;
}

// The escape table is defined as six replace-all passes in a fixed order, then blank removal.
// One left-to-right pass gives the same text: every pattern is "D7 D" followed by a digit other
// than 7, so no two occurrences of any patterns overlap, and no replacement (FF, F8, F9, FA, FB,
// D7) can complete a pattern of a later pass. The D7 of "D7 D6" is emitted as it is and never
// starts another escape, since the scan goes on after the pair.
void unescapeLine(std::string_view line, std::string& out) {
  out.resize(line.size());
  char* dst = out.data();
  const char* src = line.data();
  const char* const end = src + line.size();
  while (src < end) {
    const char c = *src;
    if (c == ' ') {
      ++src;
      continue;
    }
    if (c == 'D' && end - src >= 5 && src[1] == '7' && src[2] == ' ' && src[3] == 'D') {
      if (const std::uint8_t byte = escapedByte(src[4])) {
        *dst++ = "0123456789ABCDEF"[byte >> 4];
        *dst++ = "0123456789ABCDEF"[byte & 15];
        src += 5;
        continue;
      }
    }
    *dst++ = c;
    ++src;
  }
  out.resize(static_cast<std::size_t>(dst - out.data()));
}

std::string lineTooLongReason(std::uint64_t longLength, std::size_t shownLength) {
  if (longLength > kMaxLineLength) {
    return "line too long: " + std::to_string(longLength) + " characters besides blanks (at most " +
           std::to_string(kMaxLineLength) + " are read)";
  }
  return "line too long: " + std::to_string(shownLength) +
         " hex digits after un-escaping (at most " + std::to_string(kMaxShownLength) + " fit)";
}

}  // namespace twk
