#pragma once

#include <string>

#include "core/error.h"
#include "intake/packet_store.h"

// The straightforward decoder: the second opinion that the differential tests and the fuzzers
// hold the product's chunked path to. It reads the whole log into memory and takes each rule of
// reading as it is stated, one line at a time: line ends, byte-order marks, the escape table as
// six replace-all passes, the hex pairs of the byte loop, and the limits of a line.
namespace twk::reference {

// Receives the bytes of each telemetry line that can be stored, and lineSkipped for one that
// cannot.
class PacketSink {
 public:
  virtual ~PacketSink() = default;
  virtual void packetStored(const PacketBytes& bytes) = 0;
  // By default the error ends the reading; a sink that reads on past it returns.
  virtual void lineSkipped(const Error& error) { throw error; }
};

// Fills a packet store after the packets it holds. Only a store bigger than any log read here
// will do: a full one is not checked for.
class StoreSink : public PacketSink {
 public:
  explicit StoreSink(PacketStore& store) : m_store(store) {}
  void packetStored(const PacketBytes& bytes) override { m_store.append() = bytes; }

 private:
  PacketStore& m_store;
};

// Decodes the log at path ("-" reads standard input) into sink. Throws Error: OpenFailed,
// ReadFailed, or what the sink's lineSkipped throws.
void decodeLog(const std::string& path, PacketSink& sink);

// The same for a log's bytes already in memory, read under the given name.
void decodeText(const std::string& bytes, const std::string& name, PacketSink& sink);

}  // namespace twk::reference
