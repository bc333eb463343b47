#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace twk {

// Byte positions 0 to 82 of a packet: all the channels read.
inline constexpr std::size_t kChannelBytePositions = 83;

struct ChannelBytes {
  std::array<std::uint8_t, kChannelBytePositions> at{};  // the values the byte loop stores
  std::size_t shownLength = 0;  // the un-escaped, blank-free length, exact when tooLong
  bool tooLong = false;         // the line reaches past position 150
};

// The line-to-bytes step of a telemetry line as read, in one pass over it and without copying
// it: the same values unescapeLine and storeLineBytes put at positions 0 to 82, and whether the
// line is too long. Stops reading once neither the bytes nor the verdict can change.
void readChannelBytes(std::string_view line, ChannelBytes& bytes);

}  // namespace twk
