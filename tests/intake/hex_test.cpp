#include "intake/hex.h"

#include <gtest/gtest.h>

namespace twk {
namespace {

TEST(HexToDec, Examples) {
  struct Case {
    const char* text;
    std::int32_t value;
  };
  const Case cases[] = {{"4B", 75}, {"1f", 31}, {"7", 7},  {"4G", 4}, {"ZZ", 0},   {"G4", 0},
                        {"", 0},    {"0X", 0},  {"&H", 0}, {"00", 0}, {"FF", 255}, {"a9", 169}};
  for (const Case& c : cases) EXPECT_EQ(HexToDec(c.text), c.value) << c.text;
}

}  // namespace
}  // namespace twk
