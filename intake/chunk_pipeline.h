#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "intake/channel_bytes.h"
#include "intake/chunk_reader.h"

namespace twk {

// A chunk of a log with what decoding it gave: whatever the sink's decoder made of each packet,
// in output, and the lines that cannot be stored.
struct DecodedChunk {
  LogChunk input;
  std::vector<char> output;  // storage, kept from chunk to chunk; the first outputSize count
  std::size_t outputSize = 0;
  std::uint64_t lines = 0;    // the lines decoded
  std::uint64_t packets = 0;  // the telemetry lines that became packets
  // The lines of the chunk, from 1, that cannot be stored, with their reasons.
  std::vector<std::pair<std::uint64_t, std::string>> skipped;
  std::exception_ptr failure;
  bool done = false;

  // Room for size more bytes of output, at its end.
  char* outputRoom(std::size_t size);
};

// Turns a chunk's packets into the sink's output, on one of the pool's threads.
class ChunkDecoder {
 public:
  virtual ~ChunkDecoder() = default;
  virtual void packet(const ChannelBytes& bytes, DecodedChunk& chunk) = 0;
};

// Where a chunked reading goes: decoders for the pool, and the chunks in the order of the log.
class ChunkSink {
 public:
  virtual ~ChunkSink() = default;
  // The decoder of pool thread n (from 0), asked for on the caller's thread; the sink keeps it,
  // and a thread only uses its own.
  virtual ChunkDecoder& decoder(unsigned n) = 0;
  // Whether a chunk's lines after one that cannot be stored are decoded too.
  virtual bool readsOn() const { return true; }
  // The next chunk of the log called name, decoded, after linesBefore lines of it. What it
  // throws ends the reading.
  virtual void take(const DecodedChunk& chunk, const std::string& name,
                    std::uint64_t linesBefore) = 0;
  // A followed log was emptied or replaced: the next packet is the first of the new file.
  virtual void passStarted() {}
};

// Decodes the lines of a chunk: each telemetry line that can be stored goes to decoder, one that
// cannot is noted; with stopAtSkipped the chunk ends there.
void decodeChunk(DecodedChunk& chunk, ChunkDecoder& decoder, bool stopAtSkipped);

// The way a log is read in chunks cut at line ends: a pool of threads decodes the chunks, and
// the sink takes them strictly in the order of the log. Only a few chunks are in flight, so
// memory stays bounded on any input. With one thread the chunks are decoded on the caller's,
// without handing them over. One pipeline may read any number of logs, one after the other.
class ChunkPipeline {
 public:
  // threads 0: one per hardware thread (at most 8).
  ChunkPipeline(ChunkSink& sink, unsigned threads, std::size_t chunkSize);
  ~ChunkPipeline();
  ChunkPipeline(const ChunkPipeline&) = delete;
  ChunkPipeline& operator=(const ChunkPipeline&) = delete;

  // The threads a pipeline asked for threads runs.
  static unsigned threadsFor(unsigned threads);

  // The characters a chunk reader should read per chunk, at most, for the text in flight to
  // stay within its budget.
  std::size_t chunkSize() const { return m_chunkSize; }

  // Hands the chunks reader gives until it ends to the sink, lines counting the lines of the
  // log called name read so far. Throws Error (ReadFailed) for a failing read, after the sink
  // took every chunk before it, and what the sink throws.
  void run(ChunkReader& reader, const std::string& name, std::uint64_t& lines);

 private:
  void startThreads(unsigned threads);
  void work(ChunkDecoder& decoder);
  void collect(const std::string& name, std::uint64_t& lines);
  void abandon();

  ChunkSink& m_sink;
  std::size_t m_chunkSize = 0;
  bool m_inline = false;
  std::vector<DecodedChunk> m_jobs;  // a ring: job n lives at n % size
  std::vector<std::thread> m_threads;
  std::mutex m_mutex;
  std::condition_variable m_queued;
  std::condition_variable m_finished;
  std::uint64_t m_submitted = 0;  // jobs handed to the threads
  std::uint64_t m_taken = 0;      // jobs a thread has started
  std::uint64_t m_collected = 0;  // jobs the sink took
  bool m_stopping = false;
};

}  // namespace twk
