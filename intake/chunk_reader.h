#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace twk {

// A piece of a log that holds whole lines, so it can be decoded apart from the pieces around it.
struct LogChunk {
  std::vector<char> text;  // storage, kept from chunk to chunk; the first size characters count
  std::size_t size = 0;
  // Set for a line of more than kMaxLineLength characters besides blanks, which comes alone:
  // that count, with text holding its first characters, enough to tell a telemetry line.
  std::uint64_t longLineLength = 0;
  int readError = 0;  // the errno of a failed read, which comes alone and ends the log

  std::string_view lines() const { return {text.data(), size}; }
};

// The first CR or LF in [p, end), or end.
const char* findLineEnd(const char* p, const char* end);

// The line that starts at p in a chunk ending at end, without its line end; p moves past the
// line end, a CR LF being one.
inline std::string_view takeLine(const char*& p, const char* end) {
  const char* eol = findLineEnd(p, end);
  const std::string_view line(p, static_cast<std::size_t>(eol - p));
  p = eol + (eol == end ? 0 : *eol == '\r' && eol + 1 < end && eol[1] == '\n' ? 2 : 1);
  return line;
}

// Reads a log in chunks of whole lines of about chunkSize characters. A line ends at CR LF, CR
// or LF, also when a CR LF is split between two reads; only the last line of the log may lack
// its line end. A byte-order mark is honoured: UTF-8's is skipped, UTF-16 text becomes its
// characters, each outside ASCII a '?'.
// Memory stays bounded: a line over kMaxLineLength characters as read comes alone, its runs of
// blanks cut (cutBlankRuns), and is measured, not kept, when it has more than kMaxLineLength
// characters besides blanks.
class ChunkReader {
 public:
  ChunkReader(int fd, std::size_t chunkSize);

  // Fills chunk with the next lines; false at the end of the log.
  bool next(LogChunk& chunk);

  // For a log that is still being written: next() gives whole lines only and returns false at
  // the log's current end, keeping a last line without its line end until a later call finds
  // its end. A later call reads on from there.
  void follow() { m_following = true; }
  // The log gets no more lines: next() reads it to its end, a last line without its end too.
  void stopFollowing() {
    m_following = false;
    m_ended = false;
  }
  void setChunkSize(std::size_t chunkSize) { m_chunkSize = chunkSize == 0 ? 1 : chunkSize; }

  // While following: the log's last bytes read, as they came from the file (before a byte-order
  // mark, UTF-16 or a run of blanks is dealt with), and the offset they end at, the bytes read in
  // all. A log emptied or written anew since they were read no longer holds them there, whatever
  // its size and inode say. Several lines' worth, as frames often end alike.
  static constexpr std::size_t kLastBytesKept = 4096;
  std::string_view lastBytesRead() const { return {m_lastBytes.data(), m_lastByteCount}; }
  std::uint64_t bytesRead() const { return m_bytesRead; }

 private:
  std::size_t fill(LogChunk& chunk);
  bool readLongLine(LogChunk& chunk, bool resumed);
  void waitForLineEnd(LogChunk& chunk);
  void keepRest(const LogChunk& chunk, std::size_t from);
  std::size_t readChars(char* into, std::size_t size);
  std::size_t readBytes(char* into, std::size_t size);
  void keepLastBytes(const char* bytes, std::size_t size);
  void detectByteOrderMark();

  enum class Encoding { Bytes, Utf16Le, Utf16Be };

  int m_fd;
  std::size_t m_chunkSize;
  Encoding m_encoding = Encoding::Bytes;
  bool m_started = false;
  bool m_ended = false;     // a read gave nothing more, or failed
  bool m_finished = false;  // next() has handed out everything
  bool m_following = false;
  bool m_inLongLine = false;          // m_carry holds the start of a long line, cut as it is read
  std::uint64_t m_longNonBlanks = 0;  // that line's characters besides blanks so far
  int m_error = 0;
  bool m_afterCr = false;  // the last character handed out was a CR: a LF right after belongs to it
  std::vector<char> m_carry;         // what follows the last line end handed out
  bool m_carryHasEnds = false;       // m_carry may hold whole lines, not only the start of one
  std::vector<char> m_first;         // the first bytes, read to look for a byte-order mark
  std::vector<unsigned char> m_raw;  // UTF-16 bytes not yet turned into characters
  std::size_t m_rawKept = 0;
  std::uint64_t m_bytesRead = 0;
  std::array<char, kLastBytesKept> m_lastBytes;
  std::size_t m_lastByteCount = 0;
};

}  // namespace twk
