#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/error.h"
#include "intake/packet_store.h"

// The straightforward decoder: the second opinion that the differential tests and the fuzzers
// hold the product's chunked path to. It reads the whole log into memory and takes each rule of
// reading as it is stated, one line at a time: line ends, byte-order marks, the escape table as
// six replace-all passes, the hex pairs of the byte loop, and the limits of a line.
namespace twk::reference {

// A packet as the byte loop fills it: one value 0..255 per byte position.
using PacketRow = std::array<double, kBytePositions>;

// Receives, for each telemetry line that can be stored: hasRoom, nextRow, lineShown,
// packetStored; and lineSkipped for one that cannot.
class PacketSink {
 public:
  virtual ~PacketSink() = default;
  virtual bool hasRoom() const { return true; }
  virtual PacketRow& nextRow() { return row; }
  virtual void lineShown(std::string_view) {}
  virtual void packetStored() = 0;
  // By default the error ends the reading; a sink that reads on past it returns.
  virtual void lineSkipped(const Error& error) { throw error; }
  virtual int capacity() const { return kDefaultPacketsHeld; }

  PacketRow row{};
};

// Fills a packet store after the packets it holds, as its capacity allows.
class StoreSink : public PacketSink {
 public:
  explicit StoreSink(PacketStore& store) : m_store(store) {}
  bool hasRoom() const override { return m_store.hasRoom(); }
  void packetStored() override;
  int capacity() const override { return m_store.capacity(); }

 private:
  PacketStore& m_store;
};

// Decodes the log at path ("-" reads standard input) into sink. Throws Error: OpenFailed,
// ReadFailed, TableFull, or what the sink's lineSkipped throws.
void decodeLog(const std::string& path, PacketSink& sink);

// The same for a log's bytes already in memory, read under the given name.
void decodeText(const std::string& bytes, const std::string& name, PacketSink& sink);

}  // namespace twk::reference
