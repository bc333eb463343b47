#pragma once

#include <string>

#include "core/error.h"
#include "export/csv_converter.h"
#include "export/csv_writer.h"
#include "intake/log_decoder.h"
#include "telemetry/channel_conversion.h"

namespace twk::test {

// A log's CSV rows and the error that ended it ("" when none), as Error::what() gives it, after
// the lines skipped, each with a line end.
struct CsvRows {
  std::string rows;
  std::string error;

  bool operator==(const CsvRows&) const = default;
};

// A sink that writes each packet's CSV row; with readOn a line that cannot be stored is noted
// in the error text and the reading goes on, else it ends the reading.
struct CsvRowsSink : PacketSink {
  CsvRows& result;
  std::string separator;
  bool readOn;
  PacketRow row{};

  CsvRowsSink(CsvRows& r, std::string s, bool o) : result(r), separator(std::move(s)), readOn(o) {}
  void fileStarted(const std::string&) override {}
  bool hasRoom() const override { return true; }
  PacketRow& nextRow() override { return row; }
  void lineShown(std::string_view) override {}
  void packetStored() override {
    ChannelRow values;
    convertPacket(row, values);
    appendCsvRow(result.rows, values, separator);
  }
  void lineSkipped(const Error& error) override {
    if (!readOn) throw error;
    result.error += error.what() + std::string("\n");
  }
};

// The straightforward way, one packet at a time: decodeLog, convertPacket, appendCsvRow. On an
// error the rows of the lines before the failing one are kept; with readOn, a line that cannot
// be stored is noted and the reading goes on.
inline CsvRows simpleCsvRows(const std::string& path, const std::string& separator,
                             bool readOn = false) {
  CsvRows result;
  CsvRowsSink sink(result, separator, readOn);
  try {
    decodeLog(path, sink);
  } catch (const Error& e) {
    result.error += e.what();
  }
  return result;
}

inline CsvRows convertedCsvRows(const std::string& path, const std::string& separator,
                                CsvConverterOptions options, bool readOn = false) {
  CsvRows result;
  if (readOn) {
    options.skipped = [&result](const Error& e) { result.error += e.what() + std::string("\n"); };
  }
  CsvConverter converter([&result](std::string_view rows) { result.rows += rows; }, separator,
                         options);
  try {
    converter.convertLog(path);
  } catch (const Error& e) {
    result.error += e.what();
  }
  return result;
}

}  // namespace twk::test
