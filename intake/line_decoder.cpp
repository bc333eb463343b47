#include "intake/line_decoder.h"

#include <algorithm>
#include <cstring>

#include "intake/hex.h"

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

namespace {

// The byte an escape pair "D7 Dx" stands for, selected by x; 0 where "D7 Dx" is no escape.
constexpr char escapedByte(char x) {
  switch (x) {
    case 'F': return 'F';  // D7 DF -> FF
    case '8': return '8';  // D7 D8 -> F8
    case '9': return '9';  // D7 D9 -> F9
    case 'A': return 'A';  // D7 DA -> FA
    case 'E': return 'B';  // D7 DE -> FB
    default: return 0;
  }
}

}  // namespace

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
      const char x = src[4];
      if (x == '6') {
        *dst++ = 'D';
        *dst++ = '7';
        src += 5;
        continue;
      }
      if (const char low = escapedByte(x)) {
        *dst++ = 'F';
        *dst++ = low;
        src += 5;
        continue;
      }
    }
    *dst++ = c;
    ++src;
  }
  out.resize(static_cast<std::size_t>(dst - out.data()));
}

namespace {

// The last position of a line of L characters: L / 2 rounded half to even; a half appears for
// odd L and goes to the even neighbour.
std::size_t lastPosition(std::size_t length) {
  std::size_t last = length / 2;
  if (length % 2 == 1 && last % 2 == 1) ++last;
  return last;
}

}  // namespace

bool reachesPastLastPosition(std::size_t shownLength) {
  return lastPosition(shownLength) >= kBytePositions;
}

StoredBytes storeLineBytes(std::string_view shown, PacketRow& row) {
  const std::size_t length = shown.size();
  const std::size_t last = lastPosition(length);

  const std::size_t stored = last < kBytePositions ? last + 1 : kBytePositions;
  for (std::size_t i = 0; i < stored; ++i) {
    const std::size_t at = 2 * i;
    const std::string_view pair = at < length ? shown.substr(at, 2) : std::string_view{};
    row[i] = static_cast<double>(HexToDec(pair));
  }
  // A row may have held a longer packet of an earlier load: nothing of it may mix into this one.
  std::fill(row.begin() + static_cast<std::ptrdiff_t>(stored), row.end(), 0.0);
  return {static_cast<int>(stored), reachesPastLastPosition(length)};
}

}  // namespace twk
