#include "intake/hex.h"

#include <array>
#include <cstdint>

namespace twk {
namespace {

constexpr int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

constexpr auto kDigits = [] {
  std::array<signed char, 256> table{};
  for (int c = 0; c < 256; ++c) table[static_cast<std::size_t>(c)] = static_cast<signed char>(digitValue(static_cast<char>(c)));
  return table;
}();

bool startsWithPrefix(std::string_view text, char first, char second) {
  return text.size() >= 2 && text[0] == first && (text[1] == second || text[1] == second + 32);
}

}  // namespace

std::int32_t HexToDec(std::string_view text) {
  if (startsWithPrefix(text, '0', 'X') || startsWithPrefix(text, '&', 'H')) text.remove_prefix(2);
  std::uint32_t value = 0;
  std::size_t digits = 0;
  for (char c : text) {
    const int d = digitValue(c);
    if (d < 0) break;
    // Leading zeros do not count towards the 32 bits.
    if (digits > 0 || d > 0) ++digits;
    if (digits > 8) return 0;  // does not fit 32 bits: the failed conversion gives 0
    value = value * 16 + static_cast<std::uint32_t>(d);
  }
  return static_cast<std::int32_t>(value);
}

std::int32_t hexPairValue(std::string_view pair) {
  // With two characters at most, a "0X" or "&H" prefix leaves nothing to read, and "0X" reads
  // as the digit 0 followed by a non-digit: both give 0, as the leading-digit rule does.
  if (pair.empty()) return 0;
  const int high = kDigits[static_cast<unsigned char>(pair[0])];
  if (high < 0) return 0;
  if (pair.size() < 2) return high;
  const int low = kDigits[static_cast<unsigned char>(pair[1])];
  return low < 0 ? high : high * 16 + low;
}

}  // namespace twk
