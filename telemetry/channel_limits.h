#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/error.h"
#include "telemetry/channel_table.h"

namespace twk {

// The safe range of a channel in its engineering unit: a value below a low limit or above a
// high one is outside it. Each limit is optional.
struct ChannelLimits {
  std::optional<double> yellowLow;
  std::optional<double> yellowHigh;
  std::optional<double> redLow;
  std::optional<double> redHigh;

  bool any() const { return yellowLow || yellowHigh || redLow || redHigh; }
  bool operator==(const ChannelLimits&) const = default;
};

// The most severe limit a value crosses: red before yellow.
enum class LimitCrossed { None, YellowLow, YellowHigh, RedLow, RedHigh };

LimitCrossed crossedLimit(const ChannelLimits& limits, double value);
bool isRed(LimitCrossed crossed);
// "above red high", "below yellow low"; empty for None.
std::string_view limitText(LimitCrossed crossed);
// One crossing as twk-csv --limits reports it and the window's list copies it: "packet 2;
// Battery A RAAC; 512; above red high", the value as the CSV file writes it.
std::string crossingLine(std::int64_t packet, int channel, std::string_view value,
                         LimitCrossed crossed);

// The limits of every channel, as the limits file gives them.
struct LimitsTable {
  std::array<ChannelLimits, kChannelCount> channels{};
  // The lines that were skipped, each a BadLimit error naming its file and line.
  std::vector<Error> problems;
};

// The limits file is an INI file as QSettings writes it: one section per channel named by its
// number, the channel's column in the CSV counting from 0, with the optional keys yellowLow,
// yellowHigh, redLow and redHigh, numbers with a point as their separator. Blank lines and
// comments (";" or "#") are passed over; a line that is none of these is reported and skipped.
//
//   [25]
//   ; RSSI [dB]
//   yellowLow=-110
//   redLow=-118
LimitsTable parseLimits(std::string_view text, const std::string& fileName);
// Reads and parses path; a missing file gives no limits and no problems. An unreadable one
// throws OpenFailed or ReadFailed.
LimitsTable readLimitsFile(const std::string& path);
// The limits file that parseLimits reads back as limits: a section for each channel with a
// limit, its name and unit in a comment, each number as short as it reads back exactly.
std::string limitsFileText(const LimitsTable& limits);

}  // namespace twk
