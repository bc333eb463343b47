#pragma once

#include <string>
#include <vector>

#include "core/error.h"
#include "export/csv_writer.h"
#include "intake/packet_sink.h"
#include "reference/reference_decoder.h"
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
struct CsvRowsSink : reference::PacketSink {
  CsvRows& result;
  std::string separator;
  bool readOn;

  CsvRowsSink(CsvRows& r, std::string s, bool o) : result(r), separator(std::move(s)), readOn(o) {}
  void packetStored(const PacketBytes& bytes) override {
    ChannelRow values;
    convertPacket(bytes, values);
    appendCsvRow(result.rows, values, separator);
  }
  void lineSkipped(const Error& error) override {
    if (!readOn) throw error;
    result.error += error.what() + std::string("\n");
  }
};

// The straightforward way, one packet at a time: the reference decoder, convertPacket,
// appendCsvRow. On an error the rows of the lines before the failing one are kept; with readOn, a
// line that cannot be stored is noted and the reading goes on.
inline CsvRows simpleCsvRows(const std::string& path, const std::string& separator,
                             bool readOn = false) {
  CsvRows result;
  CsvRowsSink sink(result, separator, readOn);
  try {
    reference::decodeLog(path, sink);
  } catch (const Error& e) {
    result.error += e.what();
  }
  return result;
}

// A view of a load on the chunked path: the lines shown, and "!" and the message of each line
// skipped; without readOn a skipped line ends the load.
struct LoadSink : PacketSink {
  std::vector<std::string> lines;
  bool readOn = true;

  void fileStarted(const std::string&) override {}
  void lineShown(std::string_view text) override { lines.emplace_back(text); }
  void lineSkipped(const Error& error) override {
    if (!readOn) throw error;
    lines.push_back("!" + std::string(error.what()));
  }
};

}  // namespace twk::test
