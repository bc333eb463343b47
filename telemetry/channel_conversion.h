#pragma once

#include <array>
#include <vector>

#include "intake/packet_store.h"
#include "telemetry/channel_table.h"

namespace twk {

using ChannelRow = std::array<double, kChannelCount>;

// The engineering values of every packet, one row per packet row of the store. Like the store
// it is never cleared: a conversion overwrites rows 1..Packet_Count only.
struct ChannelStore {
  std::vector<ChannelRow> Channel_Values = std::vector<ChannelRow>(kMaxPackets + 1, ChannelRow{});
};

// Computes the 31 channels of one packet from its bytes.
void convertPacket(const PacketRow& bytes, ChannelRow& values);

// Converts rows 1..Packet_Count of the store into values.
void convertPackets(const PacketStore& store, ChannelStore& values);

}  // namespace twk
