#include "telemetry/channel_conversion.h"

#include <algorithm>
#include <cstdint>

#include "telemetry/channel_inputs.h"

namespace twk {
namespace {

// What a channel reads in a packet: its byte, its big-endian word or its big-endian count.
std::uint32_t rawInput(const PacketBytes& b, const ChannelInput& input) {
  const auto at = static_cast<std::size_t>(input.position);
  switch (input.source) {
    case ChannelSource::Byte: return b[at];
    case ChannelSource::Word: return std::uint32_t{b[at]} << 8 | b[at + 1];
    case ChannelSource::Long:
      return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 |
             std::uint32_t{b[at + 2]} << 8 | b[at + 3];
  }
  return 0;
}

}  // namespace

void convertPacket(const PacketBytes& bytes, ChannelRow& values) {
  const auto& inputs = channelInputs();
  for (std::size_t channel = 0; channel < values.size(); ++channel) {
    values[channel] = channelValue(static_cast<int>(channel), rawInput(bytes, inputs[channel]));
  }
}

void channelOverPackets(const PacketStore& store, int channel, int first,
                        std::vector<double>& out) {
  const ChannelInput& input = channelInputs().at(static_cast<std::size_t>(channel));
  out.clear();
  out.reserve(static_cast<std::size_t>(std::max(store.count() - first + 1, 0)));
  // A byte channel takes its values from a table of the 256; words and counts are computed.
  std::array<double, 256> byteValues{};
  if (input.source == ChannelSource::Byte) {
    for (std::uint32_t raw = 0; raw < 256; ++raw) byteValues[raw] = channelValue(channel, raw);
  }
  for (int row = first; row <= store.count(); ++row) {
    const std::uint32_t raw = rawInput(store.bytes(row), input);
    out.push_back(input.source == ChannelSource::Byte ? byteValues[raw]
                                                      : channelValue(channel, raw));
  }
}

}  // namespace twk
