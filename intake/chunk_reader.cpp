#include "intake/chunk_reader.h"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "intake/telemetry_line.h"

namespace twk {
namespace {

constexpr std::size_t kFirstRead = 16 * 1024;

bool isLineEnd(char c) {
  return c == '\n' || c == '\r';
}

// Grows in small steps: what is resized is written to, and so takes memory.
void makeRoom(LogChunk& chunk, std::size_t size) {
  if (chunk.text.size() < size) chunk.text.resize(size + size / 4);
}

}  // namespace

const char* findLineEnd(const char* p, const char* end) {
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (; end - p >= 16; p += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf));
    if (const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits))) {
      return p + std::countr_zero(mask);
    }
  }
#endif
  while (p < end && !isLineEnd(*p)) ++p;
  return p;
}

ChunkReader::ChunkReader(int fd, std::size_t chunkSize)
    : m_fd(fd), m_chunkSize(std::max<std::size_t>(chunkSize, 1)) {}

std::size_t ChunkReader::readBytes(char* into, std::size_t size) {
  if (m_error != 0) return 0;
  for (;;) {
    const ssize_t got = ::read(m_fd, into, size);
    if (got >= 0) {
      if (m_following) keepLastBytes(into, static_cast<std::size_t>(got));
      return static_cast<std::size_t>(got);
    }
    if (errno != EINTR) {
      m_error = errno;
      return 0;
    }
  }
}

// Kept from the bytes as read: by the time a look ends, the file may hold the next pass.
void ChunkReader::keepLastBytes(const char* bytes, std::size_t size) {
  m_bytesRead += size;
  const std::size_t added = std::min(size, kLastBytesKept);
  const std::size_t kept = std::min(m_lastByteCount, kLastBytesKept - added);
  std::memmove(m_lastBytes.data(), m_lastBytes.data() + m_lastByteCount - kept, kept);
  std::memcpy(m_lastBytes.data() + kept, bytes + size - added, added);
  m_lastByteCount = kept + added;
}

// A byte-order mark can only stand at the start; read until three bytes are there or the input
// ends, so a short first read cannot hide one.
void ChunkReader::detectByteOrderMark() {
  m_started = true;
  char first[3];
  std::size_t have = 0;
  while (have < 3) {
    const std::size_t got = readBytes(first + have, 3 - have);
    if (got == 0) break;
    have += got;
  }
  if (m_error != 0) return;
  const auto* bytes = reinterpret_cast<const unsigned char*>(first);
  if (have >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) return;
  if (have >= 2 &&
      ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
    m_encoding = bytes[0] == 0xFF ? Encoding::Utf16Le : Encoding::Utf16Be;
    m_raw.assign(std::max<std::size_t>(2 * m_chunkSize, 2), 0);
    m_rawKept = have - 2;
    if (m_rawKept != 0) m_raw[0] = bytes[2];
    return;
  }
  m_first.assign(first, first + have);
}

std::size_t ChunkReader::readChars(char* into, std::size_t size) {
  if (!m_started) detectByteOrderMark();
  if (m_encoding == Encoding::Bytes) {
    if (m_first.empty()) return readBytes(into, size);
    const std::size_t n = std::min(size, m_first.size());
    std::memcpy(into, m_first.data(), n);
    m_first.erase(m_first.begin(), m_first.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
  }
  const bool little = m_encoding == Encoding::Utf16Le;
  for (;;) {
    const std::size_t room = std::min(2 * size, m_raw.size()) - m_rawKept;
    const std::size_t got = readBytes(reinterpret_cast<char*>(m_raw.data()) + m_rawKept, room);
    if (got == 0) return 0;  // a lone last byte is no character
    const std::size_t raw = m_rawKept + got;
    const std::size_t units = raw / 2;
    for (std::size_t i = 0; i < units; ++i) {
      const unsigned high = m_raw[2 * i + (little ? 1 : 0)];
      const unsigned low = m_raw[2 * i + (little ? 0 : 1)];
      const unsigned unit = high << 8 | low;
      into[i] = unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    m_rawKept = raw % 2;
    if (m_rawKept != 0) m_raw[0] = m_raw[raw - 1];
    if (units != 0) return units;
  }
}

// Appends up to chunkSize more characters to the chunk; returns how many.
std::size_t ChunkReader::fill(LogChunk& chunk) {
  std::size_t total = 0;
  while (total < m_chunkSize && !m_ended) {
    // New storage is read into in doubling steps, so that a look at a followed log that finds a
    // few lines does not clear a whole chunk's worth; kept storage takes the whole rest at once.
    const std::size_t room = chunk.text.size() > chunk.size ? chunk.text.size() - chunk.size : 0;
    const std::size_t step =
        std::min(m_chunkSize - total, std::max({room, chunk.size, kFirstRead}));
    makeRoom(chunk, chunk.size + step);
    char* at = chunk.text.data() + chunk.size;
    std::size_t got = readChars(at, step);
    if (got == 0) {
      m_ended = true;
      break;
    }
    if (m_afterCr) {  // the LF of a CR LF whose CR ended the previous chunk
      m_afterCr = false;
      if (*at == '\n') {
        std::memmove(at, at + 1, --got);
      }
    }
    chunk.size += got;
    total += got;
  }
  return total;
}

// Keeps what follows the line end at from - 1 for the next chunk.
void ChunkReader::keepRest(const LogChunk& chunk, std::size_t from) {
  m_carry.assign(chunk.text.begin() + static_cast<std::ptrdiff_t>(from),
                 chunk.text.begin() + static_cast<std::ptrdiff_t>(chunk.size));
  m_afterCr = m_carry.empty() && chunk.text[from - 1] == '\r';
}

bool ChunkReader::next(LogChunk& chunk) {
  chunk.size = 0;
  chunk.longLineLength = 0;
  chunk.readError = 0;
  if (m_finished) return false;
  if (m_following) m_ended = false;  // the log may have grown since its end was reached

  makeRoom(chunk, m_carry.size());
  std::copy(m_carry.begin(), m_carry.end(), chunk.text.begin());
  chunk.size = m_carry.size();
  std::size_t unscanned = m_carryHasEnds ? 0 : chunk.size;  // no line end before this
  m_carry.clear();
  m_carryHasEnds = false;
  if (m_inLongLine) {
    m_inLongLine = false;
    return readLongLine(chunk, true);
  }
  for (;;) {
    const std::size_t got = fill(chunk);
    // Cut after the last line end; the line it leaves open goes to the next chunk.
    for (std::size_t i = chunk.size; i > unscanned; --i) {
      if (isLineEnd(chunk.text[i - 1])) {
        keepRest(chunk, i);
        chunk.size = i;
        return true;
      }
    }
    unscanned = chunk.size;
    if (got == 0) {
      if (m_following && m_error == 0) {
        waitForLineEnd(chunk);
        return false;
      }
      m_finished = true;
      if (m_error != 0) {  // the line being read is lost with the failure
        chunk.size = 0;
        chunk.readError = m_error;
        return true;
      }
      return chunk.size != 0;  // the last line, without a line end
    }
    if (chunk.size > kMaxLineLength) return readLongLine(chunk, false);
  }
}

// A followed log's last line has no line end yet: it waits in the carry for the next call.
void ChunkReader::waitForLineEnd(LogChunk& chunk) {
  m_carry.assign(chunk.text.begin(), chunk.text.begin() + static_cast<std::ptrdiff_t>(chunk.size));
  chunk.size = 0;
}

// The chunk holds the start of one line, longer than kMaxLineLength characters as read (cut
// already where resumed): reads on to its end, its blank runs cut as they come, and keeps only
// its first characters once it has more than kMaxLineLength characters besides blanks.
bool ChunkReader::readLongLine(LogChunk& chunk, bool resumed) {
  std::uint64_t& nonBlanks = m_longNonBlanks;
  const auto cut = [&](std::size_t from, std::size_t end) {
    return nonBlanks > kMaxLineLength ? kKeptAsRead : cutBlankRuns(chunk.text.data(), from, end);
  };
  if (!resumed) {
    nonBlanks = countNonBlanks(chunk.lines());
    chunk.size = cut(0, chunk.size);
  }
  for (;;) {
    const std::size_t from = chunk.size;
    const std::size_t got = fill(chunk);
    if (got == 0) {
      if (m_following && m_error == 0) {
        m_inLongLine = true;
        waitForLineEnd(chunk);
        return false;
      }
      m_finished = true;
      chunk.readError = m_error;
      if (m_error != 0) chunk.size = 0;  // the line is lost with the failure
      break;
    }
    const char* begin = chunk.text.data() + from;
    const char* end = begin + got;
    const char* eol = findLineEnd(begin, end);
    nonBlanks += countNonBlanks({begin, static_cast<std::size_t>(eol - begin)});
    if (eol != end) {
      std::size_t rest = static_cast<std::size_t>(eol - chunk.text.data()) + 1;
      if (*eol == '\r' && rest < chunk.size && chunk.text[rest] == '\n') ++rest;
      keepRest(chunk, rest);
      m_carryHasEnds = true;
      chunk.size = cut(from, static_cast<std::size_t>(eol - chunk.text.data()));
      break;
    }
    chunk.size = cut(from, chunk.size);
  }
  if (nonBlanks > kMaxLineLength && chunk.readError == 0) chunk.longLineLength = nonBlanks;
  return true;
}

}  // namespace twk
