#include "frame_text.h"

namespace twk {
namespace {

// The second byte of the escape pair that stands for value, or 0 for a byte sent as it is.
std::uint8_t escapeSecond(std::uint8_t value) {
  switch (value) {
    case 0xFF: return 0xDF;
    case 0xF8: return 0xD8;
    case 0xF9: return 0xD9;
    case 0xFA: return 0xDA;
    case 0xFB: return 0xDE;  // not DB: FB travels as D7 DE
    case 0xD7: return 0xD6;
    default: return 0;
  }
}

}  // namespace

bool isEscapedByte(std::uint8_t value) {
  return escapeSecond(value) != 0;
}

void appendFrameText(std::span<const std::uint8_t> frame, std::string& out, bool lowerCase) {
  const char* digits = lowerCase ? "0123456789abcdef" : "0123456789ABCDEF";
  bool first = true;
  for (const std::uint8_t value : frame) {
    if (!first) out += ' ';
    first = false;
    const std::uint8_t second = escapeSecond(value);
    if (second != 0) {
      out += digits[0xD];
      out += digits[0x7];
      out += ' ';
      out += digits[second >> 4];
      out += digits[second & 0x0F];
    } else {
      out += digits[value >> 4];
      out += digits[value & 0x0F];
    }
  }
}

}  // namespace twk
