#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "intake/channel_bytes.h"
#include "telemetry/channel_table.h"

namespace twk {

// Writes CSV rows straight from a packet's channel bytes, the same bytes appendCsvRow writes for
// the values convertPacket computes. A channel's text depends on its raw input alone, so the
// finished texts ("12.5;") are kept keyed by that input: all 256 of a byte channel, the last
// thousand or so seen of a word channel. The 32-bit counts are written digit-wise.
class CsvRowFormatter {
 public:
  // keptTextBytes bounds the memory of the kept word texts.
  explicit CsvRowFormatter(std::string separator, std::size_t keptTextBytes = 1 << 20);

  // The room writeRow needs at out, some of which it overwrites beyond the row.
  std::size_t rowRoom() const { return m_rowRoom; }

  // Writes the row at out and returns its end.
  char* writeRow(const ChannelBytes& bytes, char* out);

 private:
  // A finished text with its ";", and the raw input it belongs to; 32 bytes, copied whole.
  struct Text {
    char chars[27];
    std::uint8_t size;
    std::uint32_t raw;
  };
  static constexpr std::uint32_t kNoRaw = 0xFFFFFFFF;

  struct Field {
    int channel;
    bool isLong;
    std::size_t position;
    Text* texts;  // the channel's texts, shared by the channels computed the same way
    std::uint32_t mask;
  };

  char* writeMiss(const Field& field, std::uint32_t raw, Text& text, char* out);

  std::string m_separator;
  std::size_t m_rowRoom;
  std::array<Field, kChannelCount> m_fields{};
  std::vector<std::vector<Text>> m_texts;  // one table per way of computing a channel
};

}  // namespace twk
