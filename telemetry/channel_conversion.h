#pragma once

#include <array>
#include <string>
#include <vector>

#include "intake/log_decoder.h"
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

// Decodes one log into the store through sink, then converts rows 1..Packet_Count into values.
// When decoding fails the rows stored so far are converted before the error is rethrown, so no
// row up to Packet_Count holds values that were not computed from its bytes.
void decodeLogIntoStore(const std::string& path, StoreSink& sink, const PacketStore& store,
                        ChannelStore& values);

}  // namespace twk
