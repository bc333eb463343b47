#include "export/csv_row_sink.h"

#include "export/csv_writer.h"

namespace twk {

PacketRow& CsvRowSink::nextRow() {
  ++m_fileCount;
  ++m_count;
  return m_row;
}

void CsvRowSink::packetStored() {
  convertPacket(m_row, m_values);
  appendCsvRow(m_text, m_values, m_separator);
}

}  // namespace twk
