#pragma once

#include <array>
#include <cstdint>

namespace twk {

// 10^0 to 10^19, every power of ten an unsigned 64-bit integer holds; the number texts scale
// and split their digits with them.
inline constexpr std::array<std::uint64_t, 20> kPow10 = [] {
  std::array<std::uint64_t, 20> powers{};
  std::uint64_t power = 1;
  for (std::uint64_t& p : powers) {
    p = power;
    power *= 10;
  }
  return powers;
}();

}  // namespace twk
