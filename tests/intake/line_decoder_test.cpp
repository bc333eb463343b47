#include "intake/line_decoder.h"

#include <gtest/gtest.h>

#include <random>

#include "unescape_by_passes.h"

namespace twk {
namespace {

TEST(MarkerTest, ExactTextAtCharacters13To32) {
  struct Case {
    const char* line;
    bool telemetry;
  };
  const Case cases[] = {
      {"C0 00 A0 86 58 30 54 57 4B 2D 31", true},
      {"C0 00 A0 86 58 30 54 57 4B 2D 31 03 F0 12", true},
      {"C0 00 A0 86  58 30 54 57 4B 2D 31 03", false},  // one blank more: column 14
      {"C0 00 A0 86 58 30 54 57 4b 2d 31 03", false},   // lower case
      {"C0 D7 DF A0 86 58 30 54 57 4B 2D 31 03", false},  // an escaped header byte shifts it
      {"C0 00 A0 86 58 30 54 57 4B 2D 3", false},       // shorter than 32 characters
      {"C0 00 A0 86 58 30 41 42 43 2D 31 03", false},   // another station
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(isTelemetryLine(c.line), c.telemetry) << c.line;
}

TEST(Unescape, PairsInTableOrderWithoutRescanning) {
  struct Case {
    const char* line;
    const char* shown;
  };
  const Case cases[] = {
      {"D7 DF", "FF"},
      {"D7 D8 D7 D9 D7 DA", "F8F9FA"},
      {"D7 DE", "FB"},
      {"D7 D6", "D7"},
      {"D7 D6 DF", "D7DF"},     // the D7 made by the last pair starts no escape
      {"D7 D6 D8", "D7D8"},
      {"D7 D6 D6", "D7D6"},
      {"D7 D7 DF", "D7FF"},
      {"D7 DD", "D7DD"},        // no such pair
      {"D7  DF", "D7DF"},       // two blanks: not a pair, blanks still removed
      {"d7 df", "d7df"},        // case-sensitive
      {"A D7 DF B", "AFFB"},
      {"01 02  03\t", "010203\t"},  // only blanks are removed
      {"", ""},
  };
  std::string shown;
  for (const Case& c : cases) {
    unescapeLine(c.line, shown);
    EXPECT_EQ(shown, c.shown) << c.line;
  }
}

TEST(Unescape, SinglePassEqualsTheSequentialPasses) {
  std::mt19937 random(7);
  const std::string alphabet = "D7 D7 DEF689A ";
  std::string shown;
  for (int i = 0; i < 100000; ++i) {
    std::string line(random() % 40, ' ');
    for (char& c : line) c = alphabet[random() % alphabet.size()];
    unescapeLine(line, shown);
    ASSERT_EQ(shown, test::unescapeByPasses(line)) << '"' << line << '"';
  }
}

TEST(ByteLoop, WritesHalfTheLengthRoundedToEvenPlusOnePositions) {
  struct Case {
    std::string shown;
    int positions;
    bool tooLong;
    std::vector<std::pair<int, double>> cells;
  };
  const Case cases[] = {
      {"", 1, false, {{0, 0}, {1, 0}}},
      {"4B", 2, false, {{0, 75}, {1, 0}, {2, 0}}},
      {"ABCDE", 3, false, {{0, 0xAB}, {1, 0xCD}, {2, 0xE}, {3, 0}}},            // L=5: n=2
      {"ABCDEF1", 5, false, {{2, 0xEF}, {3, 1}, {4, 0}, {5, 0}}},               // L=7: n=4
      {std::string(22, 'F'), 12, false, {{10, 255}, {11, 0}, {12, 0}}},        // 11 bytes
      {"ZZ4GG41f", 5, false, {{0, 0}, {1, 4}, {2, 0}, {3, 31}, {4, 0}}},
      {std::string(300, 'A'), 151, false, {{149, 0xAA}, {150, 0}}},
      {std::string(301, 'A'), 151, false, {{150, 0xA}}},
      {std::string(302, 'A'), 151, true, {{150, 0xAA}}},
      {std::string(5000, '1'), 151, true, {{0, 0x11}, {150, 0x11}}},
  };
  for (const Case& c : cases) {
    PacketRow row;
    row.fill(99);
    const StoredBytes stored = storeLineBytes(c.shown, row);
    EXPECT_EQ(stored.positions, c.positions) << c.shown.size();
    EXPECT_EQ(stored.tooLong, c.tooLong) << c.shown.size();
    for (const auto& [position, value] : c.cells) {
      EXPECT_EQ(row[static_cast<std::size_t>(position)], value)
          << "length " << c.shown.size() << " position " << position;
    }
  }
}

}  // namespace
}  // namespace twk
