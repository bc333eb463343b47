#include "telemetry/value_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

namespace twk {
namespace {

struct TextCase {
  double x;
  const char* text;
};

TEST(GeneralText, FifteenDigitsTrailingZerosDroppedExponentAtTheEdges) {
  const TextCase cases[] = {
      {12.5, "12.5"},
      {0.25, "0.25"},
      {-0.078125, "-0.078125"},
      {4294967295.0, "4294967295"},
      {0.0, "0"},
      {-0.0, "0"},
      {100.0, "100"},
      {1.0 / 3, "0.333333333333333"},
      {2.0 / 3, "0.666666666666667"},
      {0.1 + 0.2, "0.3"},
      {0.0001, "0.0001"},
      {0.00001, "1E-05"},
      {-0.000015, "-1.5E-05"},
      {1e14, "100000000000000"},
      {1e15, "1E+15"},
      {1.5e15, "1.5E+15"},
      {999999999999999.9, "1E+15"},
      {123456789012345678.0, "1.23456789012346E+17"},
      {1e300, "1E+300"},
      {5e-324, "4.94065645841247E-324"},
      {-110.534560546875, "-110.534560546875"},
      {1023.96875 * 4.88 / 1000, "4.9969675"},
      {-273.15, "-273.15"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(generalText(c.x, "."), c.text) << c.x;
  EXPECT_EQ(generalText(12.5, ","), "12,5");
  EXPECT_EQ(generalText(-0.000015, ","), "-1,5E-05");
}

// printf rounds the exact binary value to 15 significant digits; the text must agree with it on
// any double, the shortest-form shortcut included.
TEST(GeneralText, AgreesWithPrintfOnRandomDoubles) {
  std::mt19937_64 random(20261206);
  for (int i = 0; i < 200000; ++i) {
    double x;
    if (i % 2 == 0) {
      const std::uint64_t bits = random();
      std::memcpy(&x, &bits, sizeof x);
      if (!std::isfinite(x) || x == 0) continue;
    } else {
      // Values like the channels': a byte or word run through the formulas' constants.
      x = static_cast<double>(random() % 65536) * 3.3 / 1024 * ((random() % 7) + 0.67) - 273.15;
    }
    char reference[64];
    std::snprintf(reference, sizeof reference, "%.15G", x);
    ASSERT_EQ(generalText(x, "."), reference) << "bits of " << x;
  }
}

TEST(PatternText, HashPatternRoundsHalfAwayFromZeroOnFifteenDigits) {
  const TextCase cases[] = {
      {3215.0182, "3215.02"}, {2.5, "2.5"},     {0.5, ".5"},    {90061, "90061."},
      {0, "."},               {0.125, ".13"},   {2.675, "2.68"}, {0.625, ".63"},
      {-0.5, "-.5"},          {0.004, "."},     {0.005, ".01"}, {-0.004, "."},
      {-0.005, "-.01"},       {130208.3333, "130208.33"}, {9.995, "10."}, {1.005, "1.01"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(hashPatternText(c.x, "."), c.text) << c.x;
  EXPECT_EQ(hashPatternText(3215.0182, ","), "3215,02");
}

TEST(PatternText, TwoDecimalsKeepsBothDigits) {
  const TextCase cases[] = {
      {12.5, "12.50"},   {0.25, ".25"},     {0, ".00"},          {-3, "-3.00"},
      {-0.5, "-.50"},    {0.125, ".13"},    {2.675, "2.68"},     {999.999, "1000.00"},
      {-273.15, "-273.15"}, {-0.078125, "-.08"}, {4294967295.0, "4294967295.00"},
      {1e-20, ".00"},    {0.0049999, ".00"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(twoDecimalsText(c.x, "."), c.text) << c.x;
  EXPECT_EQ(twoDecimalsText(12.5, ","), "12,50");
}

TEST(WholeAndHexText, RoundHalfToEven) {
  const TextCase whole[] = {{2.5, "2"},   {3.5, "4"},          {-2.5, "-2"},
                            {1234, "1234"}, {-0.4, "0"},       {0.5, "0"},
                            {4294967295.0, "4294967295"}, {2147483648.0, "2147483648"},
                            {-32767, "-32767"}};
  for (const TextCase& c : whole) EXPECT_EQ(wholeText(c.x), c.text) << c.x;
  const TextCase hex[] = {{255, "FF"}, {4096, "1000"}, {0, "0"}, {65535, "FFFF"}, {10.5, "A"}};
  for (const TextCase& c : hex) EXPECT_EQ(hexText(c.x), c.text) << c.x;
}

TEST(TimeText, SecondsThenDaysAndClock) {
  EXPECT_EQ(SecToTime(0), "0d 00:00:00");
  EXPECT_EQ(SecToTime(59), "0d 00:00:59");
  EXPECT_EQ(SecToTime(3600), "0d 01:00:00");
  EXPECT_EQ(SecToTime(90061), "1d 01:01:01");
  EXPECT_EQ(SecToTime(864000), "10d 00:00:00");
  EXPECT_EQ(SecToTime(-1), "-1d 23:59:59");
  EXPECT_EQ(twoDigitsText(5), "05");
  EXPECT_EQ(twoDigitsText(23), "23");
  EXPECT_EQ(twoDigitsText(0), "00");
  EXPECT_EQ(twoDigitsText(-5), "-05");
  EXPECT_EQ(twoDigitsText(INT64_MIN), "-9223372036854775808");

  const TextCase cases[] = {
      {1234567, "3215.02 sec  => 0d 00:53:35"},
      {34583424, "90061. sec  => 1d 01:01:01"},
      {50000000, "130208.33 sec  => 1d 12:10:08"},
      {960, "2.5 sec  => 0d 00:00:02"},
      {1344, "3.5 sec  => 0d 00:00:04"},
      {0, ". sec  => 0d 00:00:00"},
      {4294967295.0, "11184810.66 sec  => 129d 10:53:31"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(timeText(c.x, "."), c.text) << c.x;
  EXPECT_EQ(timeText(1234567, ","), "3215,02 sec  => 0d 00:53:35");
}

TEST(ChannelText, EachChannelByItsRule) {
  // A never-filled row shows zeros by each channel's rule.
  for (int channel = 0; channel <= 30; ++channel) {
    const std::string expected = channel == 0                                       ? ". sec  => 0d 00:00:00"
                                 : (channel == 1 || channel == 6 || channel == 27 || channel == 28) ? "0"
                                 : (channel == 26 || channel == 29)                  ? "0"
                                                                                     : ".00";
    EXPECT_EQ(channelText(channel, 0, "."), expected) << channel;
  }
  EXPECT_EQ(channelText(28, 4294967295.0, ","), "4294967295");
  EXPECT_EQ(channelText(26, 4096, ","), "1000");
  EXPECT_EQ(channelText(25, -110.534560546875, ","), "-110,53");
  EXPECT_EQ(channelText(27, -32767, "."), "-32767");
}

}  // namespace
}  // namespace twk
