#include "export/csv_writer.h"

#include "export/atomic_file.h"
#include "export/csv_row_formatter.h"
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

void writeCsvFile(const std::string& path, std::span<const std::string> captions,
                  const PacketStore& store, std::string_view separator) {
  constexpr std::size_t kChunk = 1 << 20;
  AtomicFile file(path);
  std::string header;
  appendCsvHeader(header, captions);
  file.write(header);
  CsvRowFormatter formatter{std::string(separator)};
  std::vector<char> text(kChunk + formatter.rowRoom());
  char* const begin = text.data();
  char* out = begin;
  ChannelBytes bytes;
  for (int row = 1; row <= store.count(); ++row) {
    bytes.at = store.bytes(row);
    out = formatter.writeRow(bytes, out);
    if (static_cast<std::size_t>(out - begin) >= kChunk) {
      file.write(std::string_view(begin, static_cast<std::size_t>(out - begin)));
      out = begin;
    }
  }
  file.write(std::string_view(begin, static_cast<std::size_t>(out - begin)));
  file.commit();
}

}  // namespace twk
