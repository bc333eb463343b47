#pragma once

#include <array>
#include <string>
#include <vector>

#include "intake/packet_store.h"
#include "telemetry/channel_table.h"

namespace twk {

using ChannelRow = std::array<double, kChannelCount>;

// Computes the 31 channels of one packet from its bytes, each with its formula in
// channel_inputs.
void convertPacket(const PacketBytes& bytes, ChannelRow& values);

// The values of one channel for rows first..count() of the store, replacing out's
// contents: what convertPacket gives, without computing the other channels.
void channelOverPackets(const PacketStore& store, int channel, int first, std::vector<double>& out);

}  // namespace twk
