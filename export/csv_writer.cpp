#include "export/csv_writer.h"

#include "export/atomic_file.h"
#include "telemetry/value_text.h"

namespace twk {

std::vector<std::string> defaultCaptions() {
  std::vector<std::string> captions;
  for (const ChannelInfo& channel : channelTable()) captions.emplace_back(channel.name);
  return captions;
}

void appendCsvHeader(std::string& out, std::span<const std::string> captions) {
  for (const std::string& caption : captions) {
    out += caption;
    out += ';';
  }
  out += "\r\n";
}

void appendCsvRow(std::string& out, const ChannelRow& values, std::string_view separator) {
  for (const double value : values) {
    appendGeneralText(out, value, separator);
    out += ';';
  }
  out += "\r\n";
}

void writeCsvFile(const std::string& path, std::span<const std::string> captions,
                  std::span<const ChannelRow> rows, std::string_view separator) {
  constexpr std::size_t kChunk = 1 << 20;
  AtomicFile file(path);
  std::string text;
  appendCsvHeader(text, captions);
  for (const ChannelRow& row : rows) {
    appendCsvRow(text, row, separator);
    if (text.size() >= kChunk) {
      file.write(text);
      text.clear();
    }
  }
  file.write(text);
  file.commit();
}

}  // namespace twk
