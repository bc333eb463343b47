#include "intake/log_decoder.h"

#include "core/error.h"
#include "intake/line_decoder.h"
#include "intake/line_reader.h"
#include "intake/log_file.h"

namespace twk {

std::string lineTooLongReason(std::uint64_t longLength, std::size_t shownLength) {
  if (longLength > kMaxLineLength) {
    return "line too long: " + std::to_string(longLength) + " characters besides blanks (at most " +
           std::to_string(kMaxLineLength) + " are read)";
  }
  return "line too long: " + std::to_string(shownLength) +
         " hex digits after un-escaping (at most " + std::to_string(kMaxShownLength) + " fit)";
}

void decodeLog(const std::string& path, PacketSink& sink) {
  const LogFile file(path);
  const std::string& name = file.name();

  sink.fileStarted(path);
  LineReader reader(file.fd(), name);
  LogLine line;
  std::string shown;
  while (reader.next(line)) decodeLine(line, name, sink, shown);
}

void decodeLine(const LogLine& line, const std::string& name, PacketSink& sink,
                std::string& shown) {
  if (!isTelemetryLine(line.text)) return;
  if (line.longLength != 0) {
    sink.lineSkipped(
        Error(ErrorKind::LineTooLong, name, line.number, lineTooLongReason(line.longLength, 0)));
    return;
  }
  unescapeLine(line.text, shown);
  if (reachesPastLastPosition(shown.size())) {
    sink.lineSkipped(
        Error(ErrorKind::LineTooLong, name, line.number, lineTooLongReason(0, shown.size())));
    return;
  }
  if (!sink.hasRoom()) {
    // The line that does not fit is shown, so the user sees where the load stopped.
    sink.lineShown(shown);
    throw Error(
        ErrorKind::TableFull, name, line.number,
        "packet table full: a load holds at most " + std::to_string(sink.capacity()) + " packets");
  }
  PacketRow& row = sink.nextRow();
  sink.lineShown(shown);
  storeLineBytes(shown, row);
  sink.packetStored();
}

void StoreSink::packetStored() {
  PacketBytes& bytes = m_store.append();
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(m_row[i]);
}

}  // namespace twk
