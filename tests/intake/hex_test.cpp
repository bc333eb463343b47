#include "intake/hex.h"

#include <gtest/gtest.h>

namespace twk {
namespace {

TEST(HexToDec, Examples) {
  struct Case {
    const char* text;
    std::int32_t value;
  };
  const Case cases[] = {
      {"4B", 75}, {"1f", 31}, {"7", 7},    {"4G", 4},        {"ZZ", 0},         {"G4", 0},
      {"", 0},    {"0X", 0},  {"0x1F", 31}, {"&HFF", 255},   {"&h10", 16},      {"00", 0},
      {"FF", 255}, {"7FFFFFFF", 2147483647}, {"FFFFFFFF", -1}, {"100000000", 0}, {"0000000012", 18},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HexToDec(c.text), c.value) << c.text;
    if (std::string_view(c.text).size() <= 2) {
      EXPECT_EQ(hexPairValue(c.text), c.value) << c.text;
    }
  }
}

}  // namespace
}  // namespace twk
