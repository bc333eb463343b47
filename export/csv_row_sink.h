#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "intake/log_decoder.h"
#include "telemetry/channel_conversion.h"

namespace twk {

// Turns each packet into its CSV row as soon as its line is decoded, so memory stays flat
// whatever the number of packets; the rows gather in text() until the caller writes them.
// Every packet starts from a zeroed row, as in a fresh window, and there is no packet limit.
class CsvRowSink : public PacketSink {
 public:
  // A line that cannot be stored goes to skipped, and the reading goes on; without skipped,
  // it ends the reading.
  explicit CsvRowSink(std::string separator, std::function<void(const Error&)> skipped = {})
      : m_separator(std::move(separator)), m_skipped(std::move(skipped)) {}

  void fileStarted(const std::string&) override {}
  bool hasRoom() const override { return true; }
  PacketRow& nextRow() override;
  void lineShown(std::string_view) override {}
  void packetStored() override;
  void lineSkipped(const Error& error) override;

  std::string& text() { return m_text; }
  // The packets of all files.
  std::uint64_t count() const { return m_count; }

 private:
  std::string m_separator;
  std::function<void(const Error&)> m_skipped;
  PacketRow m_row{};
  ChannelRow m_values{};
  std::string m_text;
  std::uint64_t m_count = 0;
};

}  // namespace twk
