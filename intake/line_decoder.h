#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "intake/packet_store.h"

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

// Undoes the escape pairs ("D7 DF" FF, "D7 D8" F8, "D7 D9" F9, "D7 DA" FA, "D7 DE" FB,
// "D7 D6" D7) and removes every blank. The result replaces out's contents.
void unescapeLine(std::string_view line, std::string& out);

// Whether a line of shownLength un-escaped, blank-free characters reaches past position 150.
bool reachesPastLastPosition(std::size_t shownLength);

struct StoredBytes {
  int positions = 0;     // positions 0..positions-1 were written
  bool tooLong = false;  // the line reaches past position 150
};

// The byte loop: writes one hex pair per position from 0 on, n + 1 positions for a line of
// L characters, n being L / 2 rounded half to even; positions past 150 are not written. The
// positions after the line's end are set to 0.
StoredBytes storeLineBytes(std::string_view shown, PacketRow& row);

}  // namespace twk
