#include "export/csv_row_formatter.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "telemetry/channel_inputs.h"
#include "telemetry/general_text_writer.h"

namespace twk {

CsvRowFormatter::CsvRowFormatter(std::string separator, std::size_t keptTextBytes)
    : m_separator(std::move(separator)),
      m_rowRoom(kChannelCount * (kGeneralTextRoom + m_separator.size() + 1) + 2 + 32) {
  static_assert(sizeof(Text) == 32, "texts are copied 32 bytes at a time");
  const auto& inputs = channelInputs();
  std::size_t wordFormulas = 0;
  for (int channel = 0; channel < kChannelCount; ++channel) {
    const ChannelInput& input = inputs[static_cast<std::size_t>(channel)];
    if (input.source == ChannelSource::Word && input.formula == channel) ++wordFormulas;
  }
  // A power of two, so that the slot is the word's low bits.
  const std::size_t wordSlots = std::clamp<std::size_t>(
      std::bit_floor(keptTextBytes / wordFormulas / sizeof(Text)), 256, 4096);

  std::array<std::size_t, kChannelCount> tableOfFormula{};
  for (int channel = 0; channel < kChannelCount; ++channel) {
    const ChannelInput& input = inputs[static_cast<std::size_t>(channel)];
    if (input.source == ChannelSource::Long || input.formula != channel) continue;
    tableOfFormula[static_cast<std::size_t>(channel)] = m_texts.size();
    const std::size_t slots = input.source == ChannelSource::Byte ? 256 : wordSlots;
    m_texts.emplace_back(slots, Text{{}, 0, kNoRaw});
  }
  for (int channel = 0; channel < kChannelCount; ++channel) {
    const ChannelInput& input = inputs[static_cast<std::size_t>(channel)];
    Field& field = m_fields[static_cast<std::size_t>(channel)];
    field.channel = channel;
    field.isLong = input.source == ChannelSource::Long;
    field.position = static_cast<std::size_t>(input.position);
    if (field.isLong) continue;
    // Channels computed the same way share their texts: the same input gives the same text.
    std::vector<Text>& texts = m_texts[tableOfFormula[static_cast<std::size_t>(input.formula)]];
    field.texts = texts.data();
    field.mask = static_cast<std::uint32_t>(texts.size() - 1);
  }
}

char* CsvRowFormatter::writeMiss(const Field& field, std::uint32_t raw, Text& text, char* out) {
  char* end = writeGeneralText(out, channelValue(field.channel, raw), m_separator);
  *end++ = ';';
  const auto size = static_cast<std::size_t>(end - out);
  if (size <= sizeof text.chars) {         // a text too long for the slot is written every time
    std::memcpy(&text, out, sizeof text);  // out has that room, and a fixed size needs no call
    text.size = static_cast<std::uint8_t>(size);
    text.raw = raw;
  }
  return end;
}

char* CsvRowFormatter::writeRow(const ChannelBytes& bytes, char* out) {
  const std::uint8_t* b = bytes.at.data();
  for (const Field& field : m_fields) {
    const std::size_t k = field.position;
    if (field.isLong) {
      const std::uint32_t count =
          static_cast<std::uint32_t>(b[k]) << 24 | b[k + 1] << 16 | b[k + 2] << 8 | b[k + 3];
      out = writeUnsigned(out, count);
      *out++ = ';';
      continue;
    }
    const std::uint32_t raw = field.mask == 0xFF ? b[k] : (b[k] << 8 | b[k + 1]);
    Text& text = field.texts[raw & field.mask];
    if (text.raw == raw) {
      std::memcpy(out, &text, sizeof text);
      out += text.size;
    } else {
      out = writeMiss(field, raw, text, out);
    }
  }
  std::memcpy(out, "\r\n", 2);
  return out + 2;
}

}  // namespace twk
