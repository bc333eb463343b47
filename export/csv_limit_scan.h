#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "telemetry/channel_limits.h"

namespace twk {

// Reads the CSV rows a conversion writes and reports each packet's values outside their limits:
// one line per packet and channel, as crossingLine writes it ("packet 2; Battery A Volts; 4,3;
// above red high"), naming the most severe limit crossed and the value as the row writes it.
// Reading the rows the converter has already written keeps the conversion itself untouched,
// whatever its threads do.
class CsvLimitScan {
 public:
  using Report = std::function<void(const std::string& line)>;

  CsvLimitScan(LimitsTable limits, std::string separator, Report report);

  // Rows as the converter writes them (without the header), in order; a row may be split
  // between two calls. Packets are numbered from 1 across all calls.
  void scan(std::string_view rows);

 private:
  void scanRow(std::string_view row);

  LimitsTable m_limits;
  std::string m_separator;
  Report m_report;
  std::string m_partial;  // the start of a row whose end has not come yet
  std::int64_t m_packet = 0;
  bool m_anyLimit = false;
};

}  // namespace twk
