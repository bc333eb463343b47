#pragma once

#include <sys/types.h>

#include <array>
#include <memory>
#include <string>

#include "intake/line_reader.h"
#include "intake/log_decoder.h"
#include "intake/log_file.h"

namespace twk {

// Follows a log that a station is still writing. Each read() decodes the complete lines that
// were appended since the last one into a sink; a last line without its line end waits for its
// end. A file that shrinks (truncated for the next pass), is rewritten in place (its last bytes
// read are no longer there, also when it is as long as before or longer) or is replaced at its
// path (rotated) is read again from the start of its new contents, its packets following those
// read before.
class LogFollower {
 public:
  // What happened to the file before a read() went on reading it.
  enum class Change { None, Truncated, Replaced };

  // Opens the log. Throws Error (OpenFailed).
  explicit LogFollower(std::string path);
  ~LogFollower();

  // Decodes what was appended into sink; the first call reads the file from its start. Throws
  // Error (ReadFailed, TableFull, or what the sink's lineSkipped throws) for the line that
  // failed, after the lines before it went to the sink; a later call goes on after that line.
  Change read(PacketSink& sink);

 private:
  void open();
  void restart();
  void decodeAppended(PacketSink& sink, bool toTheEnd);
  void keepLastBytes();
  bool rewritten() const;

  std::string m_path;
  std::unique_ptr<LogFile> m_file;
  dev_t m_device = 0;
  ino_t m_inode = 0;
  std::unique_ptr<LineReader> m_reader;
  std::string m_shown;
  // The last bytes read and where they end: a station that writes its log anew changes them,
  // whatever the size and inode say. Several lines' worth, as frames often end alike.
  static constexpr std::size_t kLastBytes = 4096;
  std::array<char, kLastBytes> m_lastBytes{};
  std::size_t m_lastByteCount = 0;
  off_t m_readTo = 0;
};

}  // namespace twk
