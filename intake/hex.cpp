#include "intake/hex.h"

#include <array>

namespace twk {
namespace {

constexpr auto kDigits = [] {
  std::array<signed char, 256> table{};
  for (int c = 0; c < 256; ++c) {
    int value = -1;
    if (c >= '0' && c <= '9') value = c - '0';
    if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
    if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
    table[static_cast<std::size_t>(c)] = static_cast<signed char>(value);
  }
  return table;
}();

}  // namespace

std::int32_t HexToDec(std::string_view pair) {
  if (pair.empty()) return 0;
  const int high = kDigits[static_cast<unsigned char>(pair[0])];
  if (high < 0) return 0;
  if (pair.size() < 2) return high;
  const int low = kDigits[static_cast<unsigned char>(pair[1])];
  return low < 0 ? high : high * 16 + low;
}

}  // namespace twk
