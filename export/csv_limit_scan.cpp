#include "export/csv_limit_scan.h"

#include <charconv>

namespace twk {

CsvLimitScan::CsvLimitScan(LimitsTable limits, std::string separator, Report report)
    : m_limits(std::move(limits)), m_separator(std::move(separator)), m_report(std::move(report)) {
  for (const ChannelLimits& c : m_limits.channels) m_anyLimit = m_anyLimit || c.any();
}

void CsvLimitScan::scan(std::string_view rows) {
  for (std::size_t eol; (eol = rows.find('\n')) != std::string_view::npos;) {
    if (m_partial.empty()) {
      scanRow(rows.substr(0, eol));
    } else {
      m_partial.append(rows.substr(0, eol));
      scanRow(m_partial);
      m_partial.clear();
    }
    rows.remove_prefix(eol + 1);
  }
  m_partial.append(rows);
}

void CsvLimitScan::scanRow(std::string_view row) {
  ++m_packet;
  if (!m_anyLimit) return;
  std::string number;
  for (std::size_t channel = 0; channel < m_limits.channels.size() && !row.empty(); ++channel) {
    const std::size_t end = row.find(';');
    const std::string_view field = row.substr(0, end);
    row.remove_prefix(end == std::string_view::npos ? row.size() : end + 1);
    const ChannelLimits& limits = m_limits.channels[channel];
    if (!limits.any()) continue;
    // The field's text with the locale's separator made a point again.
    number.assign(field);
    if (const std::size_t at = number.find(m_separator);
        at != std::string::npos && m_separator != ".") {
      number.replace(at, m_separator.size(), ".");
    }
    double value = 0;
    const auto [stop, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec != std::errc() || stop != number.data() + number.size()) continue;
    const LimitCrossed crossed = crossedLimit(limits, value);
    if (crossed == LimitCrossed::None) continue;
    m_report(crossingLine(m_packet, static_cast<int>(channel), field, crossed));
  }
}

}  // namespace twk
