#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "intake/chunk_reader.h"

namespace twk {

class CsvRowFormatter;

class Error;

struct CsvConverterOptions {
  std::size_t chunkSize = 256 * 1024;  // characters read per chunk, at most
  unsigned threads = 0;                // 0: one per hardware thread (at most 8)
  // Where set, a line that cannot be stored is handed to it, in the order of the log, and the
  // conversion reads on; where not, it ends the conversion with its error.
  std::function<void(const Error&)> skipped;
};

// Converts logs into CSV rows, the same bytes as decoding each packet with decodeLog, converting
// it with convertPacket and writing it with appendCsvRow. The log is read in chunks cut at line
// ends; a pool of threads decodes and formats the chunks, and the rows are written strictly in
// the order of the log. Only a few chunks are in flight, so memory stays bounded on any input.
// With one thread the chunks are decoded on the caller's, without handing them over. One
// converter may convert any number of logs, one after the other.
class CsvConverter {
 public:
  using Writer = std::function<void(std::string_view text)>;

  CsvConverter(Writer write, std::string separator, CsvConverterOptions options = {});
  ~CsvConverter();
  CsvConverter(const CsvConverter&) = delete;
  CsvConverter& operator=(const CsvConverter&) = delete;

  // Converts the log at path ("-" reads standard input) and writes one row per packet; returns
  // the number of packets. Throws Error as decodeLog does (OpenFailed, ReadFailed, and
  // LineTooLong unless options.skipped takes it), after writing the rows of every line before
  // the failing one. What write and skipped throw passes through.
  std::uint64_t convertLog(const std::string& path);

 private:
  struct Job {
    LogChunk input;
    std::vector<char> output;
    std::size_t outputSize = 0;
    std::uint64_t lines = 0;
    std::uint64_t packets = 0;
    // The lines of the chunk, from 1, that cannot be stored, with their reasons; with no one to
    // take them, the chunk's rows end before the first.
    std::vector<std::pair<std::uint64_t, std::string>> skipped;
    std::exception_ptr failure;
    bool done = false;
  };

  struct Progress {
    std::string name;
    std::uint64_t lines = 0;
    std::uint64_t packets = 0;
  };

  static void convertChunk(Job& job, CsvRowFormatter& formatter, bool readOn);
  void startThreads(unsigned threads, std::size_t keptTextBytes);
  void work(CsvRowFormatter& formatter);
  void collect(Progress& progress);
  void abandon();

  Writer m_write;
  std::string m_separator;
  std::function<void(const Error&)> m_skipped;
  std::size_t m_chunkSize = 0;
  std::vector<Job> m_jobs;                                     // a ring: job n lives at n % size
  std::vector<std::unique_ptr<CsvRowFormatter>> m_formatters;  // one for each thread
  std::vector<std::thread> m_threads;         // none where the caller's thread decodes
  std::unique_ptr<CsvRowFormatter> m_inline;  // the caller's formatter, then
  std::mutex m_mutex;
  std::condition_variable m_queued;
  std::condition_variable m_finished;
  std::uint64_t m_submitted = 0;  // jobs handed to the threads
  std::uint64_t m_taken = 0;      // jobs a thread has started
  std::uint64_t m_collected = 0;  // jobs written out
  bool m_stopping = false;
};

}  // namespace twk
