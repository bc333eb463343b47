#include "intake/line_reader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "intake/error.h"
#include "intake/line_decoder.h"

namespace twk {
namespace {

constexpr std::size_t kBufferSize = 256 * 1024;

// The first CR or LF in [p, end), or end. Looks at eight bytes at a time.
const char* findLineEnd(const char* p, const char* end) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
  while (end - p >= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    const std::uint64_t lf = word ^ (kOnes * '\n');
    const std::uint64_t cr = word ^ (kOnes * '\r');
    if ((((lf - kOnes) & ~lf) | ((cr - kOnes) & ~cr)) & kHighs) break;
    p += 8;
  }
  while (p < end && *p != '\n' && *p != '\r') ++p;
  return p;
}

}  // namespace

LineReader::LineReader(int fd, std::string name)
    : m_fd(fd), m_name(std::move(name)), m_buffer(kBufferSize) {}

bool LineReader::fill() {
  if (m_eof) return false;
  for (;;) {
    const ssize_t got = ::read(m_fd, m_buffer.data(), m_buffer.size());
    if (got > 0) {
      m_pos = 0;
      m_end = static_cast<std::size_t>(got);
      return true;
    }
    if (got == 0) {
      m_eof = true;
      return false;
    }
    if (errno != EINTR) throw Error(ErrorKind::ReadFailed, m_name, m_number + 1, systemReason(errno));
  }
}

bool LineReader::next(LogLine& line) {
  m_carry.clear();
  std::uint64_t length = 0;
  bool started = false;
  bool carried = false;
  for (;;) {
    if (m_pos == m_end && !fill()) {
      if (!started) return false;
      line = {m_carry, length, ++m_number};  // the last line has no line end
      return true;
    }
    if (m_skipLf) {
      m_skipLf = false;
      if (m_buffer[m_pos] == '\n') {
        ++m_pos;
        continue;
      }
    }
    started = true;
    const char* begin = m_buffer.data() + m_pos;
    const char* end = m_buffer.data() + m_end;
    const char* eol = findLineEnd(begin, end);
    const auto count = static_cast<std::size_t>(eol - begin);
    // Keep at most kMaxLineLength characters of a line; the rest is only counted.
    const std::size_t room = kMaxLineLength - std::min<std::size_t>(length, kMaxLineLength);
    if (eol == end) {
      m_carry.append(begin, std::min(count, room));
      length += count;
      carried = true;
      m_pos = m_end;
      continue;
    }
    m_skipLf = *eol == '\r';
    m_pos += count + 1;
    if (carried) {
      m_carry.append(begin, std::min(count, room));
      line.text = m_carry;
    } else {
      line.text = std::string_view(begin, std::min(count, room));
    }
    line.length = length + count;
    line.number = ++m_number;
    return true;
  }
}

}  // namespace twk
