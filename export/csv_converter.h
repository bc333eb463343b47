#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "intake/chunk_pipeline.h"

namespace twk {

class Error;

struct CsvConverterOptions {
  std::size_t chunkSize = 256 * 1024;  // characters read per chunk, at most
  unsigned threads = 0;                // 0: one per hardware thread (at most 8)
  // Where set, a line that cannot be stored is handed to it, in the order of the log, and the
  // conversion reads on; where not, it ends the conversion with its error.
  std::function<void(const Error&)> skipped;
};

// Converts logs into CSV rows on the chunked path (ChunkPipeline): the pool's threads write
// each chunk's rows straight from the packets' channel bytes (CsvRowFormatter), and the rows
// are written strictly in the order of the log. One converter may convert any number of logs,
// one after the other; as a ChunkSink it also takes the chunks of a followed log.
class CsvConverter : public ChunkSink {
 public:
  using Writer = std::function<void(std::string_view text)>;

  CsvConverter(Writer write, std::string separator, CsvConverterOptions options = {});
  ~CsvConverter() override;
  CsvConverter(const CsvConverter&) = delete;
  CsvConverter& operator=(const CsvConverter&) = delete;

  // Converts the log at path ("-" reads standard input) and writes one row per packet; returns
  // the number of packets. Throws Error (OpenFailed, ReadFailed, and LineTooLong unless
  // options.skipped takes it), after writing the rows of every line before the failing one.
  // What write and skipped throw passes through.
  std::uint64_t convertLog(const std::string& path);

  // The packets written so far, of all logs.
  std::uint64_t packets() const { return m_packets; }

  ChunkDecoder& decoder(unsigned n) override;
  bool readsOn() const override { return static_cast<bool>(m_skipped); }
  void take(const DecodedChunk& chunk, const std::string& name, std::uint64_t linesBefore) override;

 private:
  Writer m_write;
  std::string m_separator;
  std::function<void(const Error&)> m_skipped;
  std::size_t m_chunkSize = 0;
  unsigned m_threads = 1;
  std::vector<std::unique_ptr<ChunkDecoder>> m_decoders;  // one per thread
  std::unique_ptr<ChunkPipeline> m_pipeline;              // made at the first log
  std::uint64_t m_packets = 0;
};

}  // namespace twk
