#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace twk {

// The spacecraft's call sign X0TWK-1 as hex text, at characters 13 to 32 of a telemetry line.
inline constexpr std::string_view kMarker = "58 30 54 57 4B 2D 31";
inline constexpr std::size_t kMarkerOffset = 12;
// The longest un-escaped, blank-free line whose bytes fit positions 0..150.
inline constexpr std::size_t kMaxShownLength = 301;
// The longest line, counted without its blanks, that is read whole; the rest of a longer line
// is counted, not kept.
inline constexpr std::size_t kMaxLineLength = 65535;
// The characters of a line that are always kept as read: enough to tell a telemetry line.
inline constexpr std::size_t kKeptAsRead = kMarkerOffset + kMarker.size();

// True when characters 13 to 32 of the line as read are exactly the marker.
bool isTelemetryLine(std::string_view line);

// The characters of text that are not blanks.
std::size_t countNonBlanks(std::string_view text);

// Shortens text[from, size) in place, returning its new end: past the first kKeptAsRead
// characters, every run of blanks is cut to two. A long line padded with blanks so shrinks to
// what decoding needs, and decodes the same: blanks are removed, and an escape pair holds a
// single blank, which a cut run never was. Characters before from are taken as already cut.
std::size_t cutBlankRuns(char* text, std::size_t from, std::size_t size);

// The byte the escape pair "D7 Dx" stands for, by x; 0 where "D7 Dx" is no escape pair.
constexpr std::uint8_t escapedByte(char x) {
  switch (x) {
    case 'F': return 0xFF;
    case '8': return 0xF8;
    case '9': return 0xF9;
    case 'A': return 0xFA;
    case 'E': return 0xFB;
    case '6': return 0xD7;
    default: return 0;
  }
}

// Undoes the escape pairs ("D7 DF" FF, "D7 D8" F8, "D7 D9" F9, "D7 DA" FA, "D7 DE" FB,
// "D7 D6" D7) and removes every blank. The result replaces out's contents.
void unescapeLine(std::string_view line, std::string& out);

// The reason a LineTooLong error gives: the blank-free length where it is over kMaxLineLength
// (longLength), else the un-escaped, blank-free length.
std::string lineTooLongReason(std::uint64_t longLength, std::size_t shownLength);

}  // namespace twk
