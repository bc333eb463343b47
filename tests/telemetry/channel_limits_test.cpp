// The limits file: what it sets, what it reports and skips, and which limit a value crosses.

#include "telemetry/channel_limits.h"

#include <gtest/gtest.h>

#include "telemetry/limit_crossings.h"

#include <algorithm>
#include <tuple>

#include "temp_dir.h"

namespace twk {
namespace {

TEST(ChannelLimits, FileSetsEachKindAndReportsAndSkipsMalformedLines) {
  const LimitsTable t = parseLimits(
      "redHigh=9\n"  // 1: before any section
      "[25]\r\n"     // CR LF line ends
      "; RSSI [dB]\n"
      "  yellowLow = -110\n"  // blanks around key and value
      "redLow=-118.5\n"
      "\n"
      "[4]\n"
      "# battery 1 volts\n"
      "yellowHigh=4.1\n"
      "redHigh=4.2\n"
      "redhigh=4.3\n"    // 11: keys are case-sensitive
      "yellowLow=3,6\n"  // 12: a comma is no separator here
      "just text\n"      // 13
      "[31]\n"           // 14: no such channel, and its key skipped with it
      "redLow=1\n"
      "[General]\n"  // 16
      "[4]\n"
      "yellowLow=3.6\n",  // a section again adds to it
      "limits.ini");
  EXPECT_EQ(t.channels[25].yellowLow, -110);
  EXPECT_EQ(t.channels[25].redLow, -118.5);
  EXPECT_FALSE(t.channels[25].yellowHigh || t.channels[25].redHigh);
  EXPECT_EQ(t.channels[4].yellowHigh, 4.1);
  EXPECT_EQ(t.channels[4].redHigh, 4.2);
  EXPECT_EQ(t.channels[4].yellowLow, 3.6);
  EXPECT_FALSE(t.channels[4].redLow);  // [31]'s key is skipped with its section
  EXPECT_EQ(std::ranges::count_if(t.channels, &ChannelLimits::any), 2);
  std::vector<std::uint64_t> lines;
  for (const Error& e : t.problems) lines.push_back(e.line());
  EXPECT_EQ(lines, (std::vector<std::uint64_t>{1, 11, 12, 13, 14, 16}));

  // A missing file gives no limits and no problems; a folder is no file.
  const test::TempDir dir;
  const LimitsTable none = readLimitsFile(dir.file("none.ini"));
  EXPECT_TRUE(none.problems.empty());
  EXPECT_EQ(std::ranges::count_if(none.channels, &ChannelLimits::any), 0);
  EXPECT_THROW(readLimitsFile(dir.path().string()), Error);
}

TEST(ChannelLimits, TheMostSevereLimitCrossedIsNamed) {
  const ChannelLimits l{.yellowLow = 3.6, .yellowHigh = 4.1, .redLow = 3.4, .redHigh = 4.2};
  const std::tuple<double, LimitCrossed, std::string_view> cases[] = {
      {3.85, LimitCrossed::None, ""},
      {3.6, LimitCrossed::None, ""},  // on a limit is inside it
      {4.1, LimitCrossed::None, ""},
      {3.5, LimitCrossed::YellowLow, "below yellow low"},
      {4.15, LimitCrossed::YellowHigh, "above yellow high"},
      {3.3, LimitCrossed::RedLow, "below red low"},  // both crossed: red
      {4.3, LimitCrossed::RedHigh, "above red high"},
  };
  for (const auto& [value, crossed, text] : cases) {
    EXPECT_EQ(crossedLimit(l, value), crossed) << value;
    EXPECT_EQ(limitText(crossedLimit(l, value)), text) << value;
  }
  EXPECT_EQ(crossedLimit({{}, {}, {}, 0}, 1), LimitCrossed::RedHigh);  // a red high of 0 counts
}

// The window writes what its limits editor holds; the file reads back as the same limits, and
// names each channel as its crossings are named.
TEST(ChannelLimits, AWrittenFileReadsBackAndCrossingsAreFoundPacketByPacket) {
  LimitsTable table;  // each channel's yellowLow, yellowHigh, redLow and redHigh
  table.channels[4] = {3.7, {}, 0.1 + 0.2, {}};
  table.channels[9] = {{}, -1e-05, {}, 4294967295.5};
  table.channels[25] = {{}, {}, -118.5, {}};
  const std::string text = limitsFileText(table);
  const LimitsTable back = parseLimits(text, "limits.ini");
  EXPECT_TRUE(back.problems.empty());
  const auto values = [](const LimitsTable& t) {
    std::vector<std::optional<double>> all;
    for (const ChannelLimits& c : t.channels)
      all.insert(all.end(), {c.yellowLow, c.yellowHigh, c.redLow, c.redHigh});
    return all;
  };
  EXPECT_EQ(values(back), values(table)) << text;
  EXPECT_NE(text.find("[4]\n; Battery A Volts [V]\n"), std::string::npos) << text;
  EXPECT_NE(text.find("[25]\n; RSSI [dB]\nredLow=-118.5\n"), std::string::npos) << text;

  // Packets 1 to 3 with RAAC 256, 512 and 768 on both batteries (channels 1 and 6).
  PacketStore store;
  for (int raac = 256; raac <= 768; raac += 256) {
    PacketBytes& bytes = store.append();
    bytes.fill(0);
    for (const std::size_t at : {35, 45}) bytes[at] = std::uint8_t(raac >> 8);
  }
  LimitsTable raac;
  raac.channels[1] = {{}, 300, {}, 600};
  raac.channels[6] = {300, {}, {}, {}};
  std::vector<LimitCrossing> found;
  findLimitCrossings(store, raac, 2, found);
  const std::vector<LimitCrossing> expected = {{2, 1, 512, LimitCrossed::YellowHigh},
                                               {3, 1, 768, LimitCrossed::RedHigh}};
  EXPECT_EQ(found, expected);
  found.clear();
  findLimitCrossings(store, raac, 1, found);
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(crossingLine(found[0].packet, found[0].channel, "256", found[0].crossed),
            "packet 1; Battery B RAAC; 256; below yellow low");
  EXPECT_EQ(crossingLine(9, 25, "-120", LimitCrossed::RedLow),
            "packet 9; RSSI [dB]; -120; below red low");
}

}  // namespace
}  // namespace twk
