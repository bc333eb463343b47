#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "intake/chunk_pipeline.h"
#include "intake/packet_sink.h"
#include "intake/packet_store.h"

namespace twk {

// Takes the chunks of a log into the packet store, after the packets it holds, as its capacity
// and rule when full allow; the pool's threads turn each chunk's telemetry lines into packet
// bytes. The sink gets, in the order of the log, lineShown for the first maxLinesShown packets'
// lines (a view shows no more) and lineSkipped for each line that cannot be stored. A packet
// that does not fit is shown and ends the reading with a TableFull error naming its line.
class StoreLoader : public ChunkSink {
 public:
  StoreLoader(PacketStore& store, PacketSink& sink, std::size_t maxLinesShown);
  ~StoreLoader() override;

  ChunkDecoder& decoder(unsigned n) override;
  void take(const DecodedChunk& chunk, const std::string& name, std::uint64_t linesBefore) override;
  void passStarted() override;

 private:
  void appendPackets(const DecodedChunk& chunk, std::size_t from, std::size_t to);

  PacketStore& m_store;
  PacketSink& m_sink;
  std::size_t m_linesShownLeft;
  std::vector<std::unique_ptr<ChunkDecoder>> m_decoders;
  std::string m_shown;
};

// Loads the log at path ("-" reads standard input) into the store on the chunked path, the
// sink getting fileStarted once it is open and then what StoreLoader gives it. Throws Error:
// OpenFailed, ReadFailed, TableFull, or what the sink's lineSkipped throws, with the packets
// before the failing line stored. threads as for ChunkPipeline: 0 one per hardware thread, 1
// the caller's alone.
void storeLog(const std::string& path, PacketSink& sink, PacketStore& store,
              std::size_t maxLinesShown, std::size_t chunkSize = 256 * 1024, unsigned threads = 0);

}  // namespace twk
