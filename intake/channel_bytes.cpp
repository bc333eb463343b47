#include "intake/channel_bytes.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "intake/telemetry_line.h"

namespace twk {
namespace {

constexpr std::uint8_t kOther = 16;  // a character that is neither a hex digit nor a blank
constexpr std::uint8_t kBlank = 32;

constexpr auto kClasses = [] {
  std::array<std::uint8_t, 256> table{};
  for (int c = 0; c < 256; ++c) {
    std::uint8_t value = kOther;
    if (c >= '0' && c <= '9') value = static_cast<std::uint8_t>(c - '0');
    if (c >= 'A' && c <= 'F') value = static_cast<std::uint8_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') value = static_cast<std::uint8_t>(c - 'a' + 10);
    if (c == ' ') value = kBlank;
    table[static_cast<std::size_t>(c)] = value;
  }
  return table;
}();

std::uint8_t classOf(char c) {
  return kClasses[static_cast<unsigned char>(c)];
}

// The byte of two non-blank characters: their leading hex digits, else 0.
std::uint8_t pairValue(std::uint8_t high, std::uint8_t low) {
  if (high >= kOther) return 0;
  return low >= kOther ? high : static_cast<std::uint8_t>(high * 16 + low);
}

// Every two characters, as they lie in memory (the first in the low byte): the pair's value, or
// kNotPlain where a blank is one of them or they are "D7", which may start an escape pair.
constexpr std::uint16_t kNotPlain = 0x100;
const std::array<std::uint16_t, 65536>& pairTable() {
  static const auto table = [] {
    std::array<std::uint16_t, 65536> t{};
    for (std::size_t key = 0; key < t.size(); ++key) {
      const auto first = static_cast<char>(key & 0xFF);
      const auto second = static_cast<char>(key >> 8);
      const std::uint8_t high = classOf(first);
      const std::uint8_t low = classOf(second);
      const bool plain = high != kBlank && low != kBlank && !(first == 'D' && second == '7');
      t[key] = plain ? pairValue(high, low) : kNotPlain;
    }
    return t;
  }();
  return table;
}

// The straightforward way, for the lines whose pairs a blank splits.
void readThroughShownText(std::string_view line, ChannelBytes& bytes) {
  thread_local std::string shown;
  unescapeLine(line, shown);
  const std::string_view text = shown;
  for (std::size_t i = 0; i < kChannelBytePositions; ++i) {
    const std::size_t at = 2 * i;
    const std::uint8_t high = at < text.size() ? classOf(text[at]) : kOther;
    bytes.at[i] = pairValue(high, at + 1 < text.size() ? classOf(text[at + 1]) : kOther);
  }
  bytes.shownLength = text.size();
  bytes.tooLong = text.size() > kMaxShownLength;
}

}  // namespace

// Un-escaping removes every blank, so the positions pair up the non-blank characters in order.
// While every pair is two non-blank characters side by side, an escape pair "D7 Dx" can only
// start where a pair starts: one starting at a pair's second character would leave the next
// pair "7 ", split by a blank. It yields one whole pair, so the pairs can be read straight from
// the line. A blank inside a pair shifts the pairing of everything after it: such lines take
// the straightforward way.
void readChannelBytes(std::string_view line, ChannelBytes& bytes) {
  const char* p = line.data();
  const char* const end = p + line.size();
  std::uint8_t* const at = bytes.at.data();
  const std::uint16_t* const pairs = pairTable().data();
  std::size_t count = 0;   // positions read so far
  std::size_t single = 0;  // 1 when the shown text ends in a lone digit
  for (;;) {
    // The common case: a pair and a blank, no escape pair.
    if (count < kChannelBytePositions) {
      const std::size_t stop =
          count + std::min(kChannelBytePositions - count, static_cast<std::size_t>(end - p) / 3);
      for (; count < stop; ++count, p += 3) {
        std::uint16_t key;
        std::memcpy(&key, p, sizeof key);
        const std::uint16_t value = pairs[key];
        if (value == kNotPlain || p[2] != ' ') break;
        at[count] = static_cast<std::uint8_t>(value);
      }
    }
    // Every character left adds at most one to the shown text: when that still fits, the rest
    // of the line changes nothing. Unless the last pair ends in the D of an escape pair ("XD7 DF"
    // un-escapes to "XFF"), which the next pair, split by the blank, would show.
    if (count >= kChannelBytePositions && !(p < end && *p == '7' && p[-1] == 'D') &&
        2 * count + static_cast<std::size_t>(end - p) <= kMaxShownLength) {
      bytes.shownLength = 2 * count + static_cast<std::size_t>(end - p);
      bytes.tooLong = false;
      return;
    }

    // Any other pair, one at a time.
    while (p < end && *p == ' ') ++p;
    if (p == end) break;
    const std::uint8_t high = classOf(p[0]);
    if (end - p == 1) {
      if (count < kChannelBytePositions) at[count] = high < kOther ? high : 0;
      single = 1;
      break;
    }
    const std::uint8_t low = classOf(p[1]);
    if (low == kBlank) return readThroughShownText(line, bytes);
    std::uint8_t value;
    if (p[0] == 'D' && p[1] == '7' && end - p >= 5 && p[2] == ' ' && p[3] == 'D' &&
        escapedByte(p[4]) != 0) {
      value = escapedByte(p[4]);
      p += 5;
    } else {
      value = pairValue(high, low);
      p += 2;
    }
    if (count < kChannelBytePositions) at[count] = value;
    ++count;
    if (p < end && *p == ' ') ++p;  // back to the start of a pair
  }
  if (count + single < kChannelBytePositions) {
    std::fill(bytes.at.begin() + static_cast<std::ptrdiff_t>(count + single), bytes.at.end(), 0);
  }
  bytes.shownLength = 2 * count + single;
  bytes.tooLong = bytes.shownLength > kMaxShownLength;
}

}  // namespace twk
