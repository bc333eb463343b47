#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

namespace twk::test {

// A telemetry line as a station writes it: header bytes C0 00 A0 86, the call sign at
// characters 13 to 32, then bytes 11 to last. Bytes not given are 00; a value is written as an
// escape pair where the frame needs one.
inline std::string telemetryLine(const std::map<int, std::uint8_t>& bytes, int last = 90) {
  std::string line = "C0 00 A0 86 58 30 54 57 4B 2D 31";
  for (int position = 11; position <= last; ++position) {
    const auto found = bytes.find(position);
    const std::uint8_t value = found == bytes.end() ? 0 : found->second;
    char pair[8];
    switch (value) {
      case 0xFF: std::snprintf(pair, sizeof pair, "D7 DF"); break;
      case 0xF8: std::snprintf(pair, sizeof pair, "D7 D8"); break;
      case 0xF9: std::snprintf(pair, sizeof pair, "D7 D9"); break;
      case 0xFA: std::snprintf(pair, sizeof pair, "D7 DA"); break;
      case 0xFB: std::snprintf(pair, sizeof pair, "D7 DE"); break;
      case 0xD7: std::snprintf(pair, sizeof pair, "D7 D6"); break;
      default: std::snprintf(pair, sizeof pair, "%02X", value);
    }
    line += ' ';
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
