#include "export/csv_row_sink.h"

#include "export/csv_writer.h"

namespace twk {

PacketRow& CsvRowSink::nextRow() {
  ++m_count;
  return m_row;
}

void CsvRowSink::packetStored() {
  convertPacket(m_row, m_values);
  appendCsvRow(m_text, m_values, m_separator);
}

void CsvRowSink::lineSkipped(const Error& error) {
  if (!m_skipped) throw error;
  m_skipped(error);
}

}  // namespace twk
