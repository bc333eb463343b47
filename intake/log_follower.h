#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

#include "intake/chunk_pipeline.h"
#include "intake/chunk_reader.h"
#include "intake/log_file.h"

namespace twk {

// Follows a log that a station is still writing. Each read() hands the complete lines that were
// appended since the last one to a sink, on the chunked path; what the log holds when following
// starts (or starts again) is read on the pool of threads. A last line without its line end
// waits for its end. A file that shrinks (truncated for the next pass), is rewritten in place
// (its last bytes read are no longer there, also when it is as long as before or longer) or is
// replaced at its path (rotated) is read again from the start of its new contents, its packets
// following those read before.
class LogFollower {
 public:
  // What happened to the file before a read() went on reading it.
  enum class Change { None, Truncated, Replaced };

  // Opens the log. What it holds when following starts (or starts again) is read on
  // catchUpThreads threads (0: as many as the machine has, as for loading a log). Throws Error
  // (OpenFailed, or ReadFailed where it cannot be read from its start).
  explicit LogFollower(std::string path, unsigned catchUpThreads = 0);
  ~LogFollower();

  // Hands what was appended to sink; the first call reads the file from its start. Throws Error
  // (ReadFailed, OpenFailed for a file that replaced it, or what the sink throws) after the lines
  // before the failing one went to the sink.
  Change read(ChunkSink& sink);

 private:
  void open();
  void restart();
  void readAppended(ChunkSink& sink);
  bool rewritten() const;

  std::string m_path;
  unsigned m_catchUpThreads;
  std::unique_ptr<LogFile> m_file;
  dev_t m_device = 0;
  ino_t m_inode = 0;
  bool m_regular = true;
  std::unique_ptr<ChunkReader> m_reader;
  std::uint64_t m_lines = 0;  // the lines of the file read so far
  bool m_atStart = true;      // nothing of the file read yet: what it holds goes to the pool
};

}  // namespace twk
