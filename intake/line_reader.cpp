#include "intake/line_reader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/error.h"
#include "intake/line_decoder.h"

namespace twk {
namespace {

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
    : m_fd(fd), m_name(std::move(name)), m_buffer(new char[kFillSize]) {}

std::size_t LineReader::readSome(char* into, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(m_fd, into, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR)
      throw Error(ErrorKind::ReadFailed, m_name, m_number + 1, systemReason(errno));
  }
}

// The first read decides how the bytes are read: a byte-order mark can only stand at the start.
void LineReader::detectByteOrderMark() {
  m_started = true;
  const auto* bytes = reinterpret_cast<const unsigned char*>(m_buffer.get());
  // Read until three bytes are there or the input ends, so a short first read cannot hide a mark.
  while (m_end < 3) {
    const std::size_t got = readSome(m_buffer.get() + m_end, kFillSize - m_end);
    if (got == 0) break;
    m_end += got;
  }
  if (m_end >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    m_pos = 3;
  } else if (m_end >= 2 &&
             ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
    m_encoding = bytes[0] == 0xFF ? Encoding::Utf16Le : Encoding::Utf16Be;
    m_raw.assign(kFillSize, 0);
    m_rawKept = m_end - 2;
    std::copy(m_buffer.get() + 2, m_buffer.get() + static_cast<std::ptrdiff_t>(m_end),
              m_raw.begin());
    m_pos = 0;
    m_end = decodeUtf16(m_rawKept);
  }
}

// Turns the complete 16-bit units of m_raw into characters in m_buffer and keeps an odd byte.
std::size_t LineReader::decodeUtf16(std::size_t rawSize) {
  const auto* raw = reinterpret_cast<const unsigned char*>(m_raw.data());
  const std::size_t units = rawSize / 2;
  const bool little = m_encoding == Encoding::Utf16Le;
  for (std::size_t i = 0; i < units; ++i) {
    const unsigned unit =
        little ? raw[2 * i] | (raw[2 * i + 1] << 8) : (raw[2 * i] << 8) | raw[2 * i + 1];
    m_buffer[i] = unit < 0x80 ? static_cast<char>(unit) : '?';
  }
  m_rawKept = rawSize % 2;
  if (m_rawKept != 0) m_raw[0] = m_raw[rawSize - 1];
  return units;
}

bool LineReader::fill() {
  if (m_eof) return false;
  for (;;) {
    m_pos = 0;
    if (m_encoding == Encoding::Bytes) {
      m_end = readSome(m_buffer.get(), kFillSize);
      if (m_end == 0) m_eof = true;
    } else {
      const std::size_t got = readSome(m_raw.data() + m_rawKept, m_raw.size() - m_rawKept);
      if (got == 0) m_eof = true;  // a lone last byte is no character
      m_end = decodeUtf16(m_rawKept + got);
    }
    if (!m_started) detectByteOrderMark();
    if (m_pos < m_end) return true;
    if (m_eof) return false;
  }
}

bool LineReader::next(LogLine& line) {
  return read(line, false);
}

bool LineReader::nextComplete(LogLine& line) {
  m_eof = false;  // the input may have grown since its end was reached
  return read(line, true);
}

// Adds count characters of the line being read to m_carry. A line that grows past
// kMaxLineLength characters has its blank runs cut from then on, and is only counted once it
// has more than kMaxLineLength characters that are not blanks: memory stays bounded.
void LineReader::keep(const char* begin, std::size_t count) {
  m_carried = true;
  if (!m_long) {
    m_carry.append(begin, count);
    if (m_carry.size() <= kMaxLineLength) return;
    m_long = true;
    m_nonBlanks = countNonBlanks(m_carry);
    if (m_nonBlanks <= kMaxLineLength) {
      m_carry.resize(cutBlankRuns(m_carry.data(), 0, m_carry.size()));
    } else {
      m_carry.resize(kKeptAsRead);
    }
    return;
  }
  const bool kept = m_nonBlanks <= kMaxLineLength;
  m_nonBlanks += countNonBlanks({begin, count});
  if (!kept) return;
  if (m_nonBlanks > kMaxLineLength) {
    m_carry.resize(kKeptAsRead);
    return;
  }
  const std::size_t from = m_carry.size();
  m_carry.append(begin, count);
  m_carry.resize(cutBlankRuns(m_carry.data(), from, m_carry.size()));
}

void LineReader::endLine(LogLine& line) {
  line.text = m_carry;
  line.longLength = m_long && m_nonBlanks > kMaxLineLength ? m_nonBlanks : 0;
  line.number = ++m_number;
  m_inLine = false;
}

bool LineReader::read(LogLine& line, bool waitForLineEnd) {
  if (!m_inLine) {
    m_carry.clear();
    m_carried = false;
    m_long = false;
  }
  for (;;) {
    if (m_pos == m_end && !fill()) {
      if (!m_inLine || waitForLineEnd) return false;
      endLine(line);  // the last line has no line end
      return true;
    }
    if (m_skipLf) {
      m_skipLf = false;
      if (m_buffer[m_pos] == '\n') {
        ++m_pos;
        continue;
      }
    }
    m_inLine = true;
    const char* begin = m_buffer.get() + m_pos;
    const char* end = m_buffer.get() + m_end;
    const char* eol = findLineEnd(begin, end);
    const auto count = static_cast<std::size_t>(eol - begin);
    if (eol == end) {
      keep(begin, count);
      m_pos = m_end;
      continue;
    }
    m_skipLf = *eol == '\r';
    m_pos += count + 1;
    if (m_carried || count > kMaxLineLength) {
      keep(begin, count);
      endLine(line);
      return true;
    }
    line.text = std::string_view(begin, count);
    line.longLength = 0;
    line.number = ++m_number;
    m_inLine = false;
    return true;
  }
}

}  // namespace twk
