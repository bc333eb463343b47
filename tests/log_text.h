#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

namespace twk::test {

// A telemetry line as a station writes it: header bytes C0 00 A0 86, the call sign at
// characters 13 to 32, then bytes 11 to last; bytes not given are 00. Bytes are written plainly,
// not as escape pairs, which reads back the same as long as no D7 comes before an escape pair's
// second byte.
inline std::string telemetryLine(const std::map<int, std::uint8_t>& bytes, int last = 90) {
  std::string line = "C0 00 A0 86 58 30 54 57 4B 2D 31";
  for (int position = 11; position <= last; ++position) {
    const auto found = bytes.find(position);
    char pair[4];
    std::snprintf(pair, sizeof pair, " %02X", found == bytes.end() ? 0 : found->second);
    line += pair;
  }
  return line;
}

// A big-endian word at position and position + 1.
inline std::map<int, std::uint8_t> word(int position, unsigned value) {
  return {{position, static_cast<std::uint8_t>(value >> 8)},
          {position + 1, static_cast<std::uint8_t>(value & 0xFF)}};
}

}  // namespace twk::test
