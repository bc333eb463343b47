#pragma once

#include <array>
#include <string_view>

namespace twk {

inline constexpr int kChannelCount = 31;

// How the value panel writes a channel's value.
enum class TextRule {
  Time,         // seconds with "#.##", then days and clock time
  Whole,        // whole number, halves to even
  Hex,          // upper-case hexadecimal
  TwoDecimals,  // pattern "#.00"
};

// One channel: its number (the column of the values and the index of its controls), the frame
// that holds it, its name and unit captions, its text rule, and where its row sits in the frame
// (twips; -1 for the channels outside the visible window).
struct ChannelInfo {
  int number;
  std::string_view group;
  std::string_view name;
  std::string_view unit;
  TextRule rule;
  int rowTop;
  int nameWidth;
  int unitWidth;
};

// Channels 0 to 30 in channel order.
const std::array<ChannelInfo, kChannelCount>& channelTable();

}  // namespace twk
