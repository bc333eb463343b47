#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/error.h"
#include "intake/line_reader.h"
#include "intake/packet_store.h"

namespace twk {

// Receives what decoding one log file produces, in this order for each telemetry line that can
// be stored: hasRoom, nextRow (the packet is counted), lineShown, packetStored; and lineSkipped
// for one that cannot.
class PacketSink {
 public:
  virtual ~PacketSink() = default;

  // The file is open and about to be read.
  virtual void fileStarted(const std::string& path) = 0;
  // Whether one more packet fits; when not, the line is shown and decoding stops with a
  // TableFull error.
  virtual bool hasRoom() const = 0;
  // Counts one more packet and gives the row its bytes go into.
  virtual PacketRow& nextRow() = 0;
  // The telemetry line as the log view shows it: un-escaped, without blanks.
  virtual void lineShown(std::string_view text) = 0;
  // The row of the last counted packet holds its bytes.
  virtual void packetStored() = 0;
  // A telemetry line that cannot be stored (LineTooLong), which never becomes a packet. By
  // default the error ends the reading; a sink that reads on past it returns.
  virtual void lineSkipped(const Error& error) { throw error; }
  // How many packets fit, for the TableFull message.
  virtual int capacity() const { return kDefaultPacketsHeld; }
  // A followed log was emptied or replaced: the next packet is the first of the new file.
  virtual void passStarted() {}
};

// Decodes the log file at path ("-" reads standard input) into sink. Every file is closed on
// every path. Throws Error: OpenFailed, ReadFailed, TableFull, or what the sink's lineSkipped
// throws.
void decodeLog(const std::string& path, PacketSink& sink);

// Decodes one line of the log named name: a telemetry line becomes the sink's next packet, any
// other line is passed over; a telemetry line that cannot be stored goes to sink.lineSkipped.
// shown is the caller's buffer for the un-escaped text. Throws Error: TableFull.
void decodeLine(const LogLine& line, const std::string& name, PacketSink& sink, std::string& shown);

// The name errors give standard input.
inline constexpr std::string_view kStdinName = "(standard input)";

// The reason a LineTooLong error gives: the blank-free length where it is over kMaxLineLength
// (longLength), else the un-escaped, blank-free length.
std::string lineTooLongReason(std::uint64_t longLength, std::size_t shownLength);

// A sink that fills a packet store after the packets it holds, as the store's capacity and
// rule when full allow. The window derives from it to show the file's path and lines.
class StoreSink : public PacketSink {
 public:
  explicit StoreSink(PacketStore& store) : m_store(store) {}

  void fileStarted(const std::string&) override {}
  bool hasRoom() const override { return m_store.hasRoom(); }
  PacketRow& nextRow() override { return m_row; }
  void lineShown(std::string_view) override {}
  void packetStored() override;
  int capacity() const override { return m_store.capacity(); }
  void passStarted() override { m_store.markPassStart(); }

 private:
  PacketStore& m_store;
  PacketRow m_row{};  // the line decoder's row, kept as bytes once stored
};

}  // namespace twk
