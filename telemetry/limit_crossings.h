#pragma once

#include <cstdint>
#include <vector>

#include "intake/packet_store.h"
#include "telemetry/channel_limits.h"

namespace twk {

// A value outside its channel's limits: the packet by its number in the load, the channel, the
// value and the most severe limit it crosses.
struct LimitCrossing {
  std::int64_t packet = 0;
  int channel = 0;
  double value = 0;
  LimitCrossed crossed = LimitCrossed::None;

  bool operator==(const LimitCrossing&) const = default;
};

// Appends the crossings of the store's rows from firstRow on to out, in packet order and, within
// a packet, in channel order. Only channels with a limit are computed.
void findLimitCrossings(const PacketStore& store, const LimitsTable& limits, int firstRow,
                        std::vector<LimitCrossing>& out);

}  // namespace twk
