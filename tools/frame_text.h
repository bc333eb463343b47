#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace twk {

// True for the byte values that travel as a two-byte escape pair beginning with D7.
bool isEscapedByte(std::uint8_t value);

// Writes the frame as a station logs it: two hex digits per byte, single blanks between them,
// escaped bytes as their pairs; no line end.
void appendFrameText(std::span<const std::uint8_t> frame, std::string& out, bool lowerCase = false);

}  // namespace twk
