#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "telemetry/channel_conversion.h"

namespace twk {

inline constexpr std::string_view kCsvFileName = "twk_telemetry.csv";

// The header captions of a fresh window: the 31 channel names as the channel table gives them.
std::vector<std::string> defaultCaptions();

// One line of the CSV file: every field followed by ";", the line ended by CR LF.
void appendCsvHeader(std::string& out, std::span<const std::string> captions);
void appendCsvRow(std::string& out, const ChannelRow& values, std::string_view separator);

// Writes the whole file: the header, then one line per row, through a temporary file that
// replaces path only when complete. Throws Error (WriteFailed) and leaves path as it was.
void writeCsvFile(const std::string& path, std::span<const std::string> captions,
                  std::span<const ChannelRow> rows, std::string_view separator);
// The same for every packet the store holds, oldest first.
void writeCsvFile(const std::string& path, std::span<const std::string> captions,
                  const PacketStore& store, std::string_view separator);

}  // namespace twk
