#include "telemetry/limit_crossings.h"

#include <algorithm>

#include "telemetry/channel_conversion.h"

namespace twk {

void findLimitCrossings(const PacketStore& store, const LimitsTable& limits, int firstRow,
                        std::vector<LimitCrossing>& out) {
  const std::size_t before = out.size();
  std::vector<double> values;
  for (int channel = 0; channel < kChannelCount; ++channel) {
    const ChannelLimits& channelLimits = limits.channels[static_cast<std::size_t>(channel)];
    if (!channelLimits.any()) continue;
    channelOverPackets(store, channel, firstRow, values);
    for (std::size_t i = 0; i < values.size(); ++i) {
      const LimitCrossed crossed = crossedLimit(channelLimits, values[i]);
      if (crossed == LimitCrossed::None) continue;
      out.push_back({store.numberOf(firstRow + static_cast<int>(i)), channel, values[i], crossed});
    }
  }
  // Channel by channel above; the list reads packet by packet.
  std::stable_sort(
      out.begin() + static_cast<std::ptrdiff_t>(before), out.end(),
      [](const LimitCrossing& a, const LimitCrossing& b) { return a.packet < b.packet; });
}

}  // namespace twk
