#pragma once

#include <string>

#include "core/error.h"
#include "export/csv_converter.h"
#include "export/csv_writer.h"
#include "intake/log_decoder.h"
#include "telemetry/channel_conversion.h"

namespace twk::test {

// A log's CSV rows and the error that ended it ("" when none), as Error::what() gives it.
struct CsvRows {
  std::string rows;
  std::string error;

  bool operator==(const CsvRows&) const = default;
};

// The straightforward way, one packet at a time: decodeLog, convertPacket, appendCsvRow. On an
// error the rows of the lines before the failing one are kept.
inline CsvRows simpleCsvRows(const std::string& path, const std::string& separator) {
  struct RowSink : PacketSink {
    CsvRows& result;
    std::string separator;
    PacketRow row{};
    std::size_t lastRowStart = 0;

    RowSink(CsvRows& r, std::string s) : result(r), separator(std::move(s)) {}
    void fileStarted(const std::string&) override {}
    bool hasRoom() const override { return true; }
    PacketRow& nextRow() override { return row; }
    void lineShown(std::string_view) override {}
    void packetStored() override {
      ChannelRow values;
      convertPacket(row, values);
      lastRowStart = result.rows.size();
      appendCsvRow(result.rows, values, separator);
    }
  };
  CsvRows result;
  RowSink sink(result, separator);
  try {
    decodeLog(path, sink);
  } catch (const Error& e) {
    // The line that is too long was stored before the error; its row is not written.
    if (e.kind() == ErrorKind::LineTooLong) result.rows.resize(sink.lastRowStart);
    result.error = e.what();
  }
  return result;
}

inline CsvRows convertedCsvRows(const std::string& path, const std::string& separator,
                                CsvConverterOptions options) {
  CsvRows result;
  CsvConverter converter([&result](std::string_view rows) { result.rows += rows; }, separator,
                         options);
  try {
    converter.convertLog(path);
  } catch (const Error& e) {
    result.error = e.what();
  }
  return result;
}

}  // namespace twk::test
