#pragma once

#include <array>
#include <string>
#include <string_view>

namespace twk {

inline constexpr int kChannelCount = 31;

// One channel: the frame that holds it in the window, and its name and unit captions. Its
// number (the column of the values and the index of its controls) is its index in the table.
struct ChannelInfo {
  std::string_view group;
  std::string_view name;
  std::string_view unit;
};

// Channels 0 to 30 in channel order.
const std::array<ChannelInfo, kChannelCount>& channelTable();

// A channel's name where its group's frame does not say it: its caption after its group's name
// where another group has a channel of the same caption ("Battery A Volts"), else its caption
// ("RSSI [dB]").
std::string channelLongName(int channel);
// The long name with the unit, where the channel has one: "Battery A Volts [V]".
std::string channelTitle(int channel);

}  // namespace twk
