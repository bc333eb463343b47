#pragma once

#include <array>
#include <cstdint>

#include "telemetry/channel_table.h"

namespace twk {

// What a channel reads: one byte, a big-endian word or a big-endian 32-bit count.
enum class ChannelSource { Byte, Word, Long };

struct ChannelInput {
  ChannelSource source;
  int position;  // the first byte position read
  int formula;   // the lowest channel computed the same way from its input
};

// The inputs of channels 0 to 30; together they read byte positions 17 to 20 and 35 to 82.
const std::array<ChannelInput, kChannelCount>& channelInputs();

// The channel's value when its input holds raw: the channel formulas. A channel's value, and so
// its text, depends on nothing else, which lets a converter keep texts keyed by raw.
double channelValue(int channel, std::uint32_t raw);

}  // namespace twk
