#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace twk {

struct LogLine {
  // The line without its line end, valid until the next read. A line over kMaxLineLength
  // characters as read comes with its runs of blanks cut (cutBlankRuns), and only its start
  // where it is too long to read whole.
  std::string_view text;
  // For a line of more than kMaxLineLength characters once its blanks are removed, that count;
  // 0 for every line that is read whole.
  std::uint64_t longLength = 0;
  std::uint64_t number = 0;  // counted from 1
};

// Reads a file descriptor line by line. CR LF, CR alone and LF alone each end a line; the last
// line needs no line end. Memory stays bounded whatever the line lengths. A byte-order mark at
// the start is honoured: UTF-8's is skipped, and UTF-16 text (little or big endian) is read as
// the characters it holds, each one outside ASCII as '?'.
class LineReader {
 public:
  // The most a single read takes from the input. Big enough that a read costs nothing next to
  // decoding what it brings, small enough that the allocator keeps it in its pools instead of
  // mapping fresh memory for every file opened.
  static constexpr std::size_t kFillSize = 64 * 1024;

  LineReader(int fd, std::string name);

  // Reads the next line; false at the end of the input. Throws Error on a read failure.
  bool next(LogLine& line);
  // Reads the next complete line of an input that is still being written: false at its current
  // end, where a last line without its line end is kept until a later call finds its end. Each
  // call reads on from where the last one stopped.
  bool nextComplete(LogLine& line);

 private:
  bool read(LogLine& line, bool waitForLineEnd);
  bool fill();
  std::size_t readSome(char* into, std::size_t size);
  void detectByteOrderMark();
  std::size_t decodeUtf16(std::size_t rawSize);
  void keep(const char* begin, std::size_t count);
  void endLine(LogLine& line);

  enum class Encoding { Bytes, Utf16Le, Utf16Be };

  int m_fd;
  std::string m_name;
  std::unique_ptr<char[]> m_buffer;  // not cleared: only what was read is looked at
  std::size_t m_pos = 0;
  std::size_t m_end = 0;
  bool m_eof = false;
  bool m_started = false;
  Encoding m_encoding = Encoding::Bytes;
  std::vector<char> m_raw;    // UTF-16 input before it becomes characters
  std::size_t m_rawKept = 0;  // an odd byte left over from the last read
  bool m_skipLf = false;      // the previous line ended in CR; a LF right after it belongs to it
  std::string m_carry;        // a line that spans buffer refills
  bool m_inLine = false;      // a line has begun and not yet ended
  bool m_carried = false;     // its start is in m_carry
  bool m_long = false;        // it is over kMaxLineLength characters as read: its blanks count
  std::uint64_t m_nonBlanks = 0;  // a long line's characters other than blanks so far
  std::uint64_t m_number = 0;
};

}  // namespace twk
