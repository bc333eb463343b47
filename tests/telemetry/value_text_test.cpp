// The value panel's texts and the CSV's general number text at their rounding edges. The
// channel formulas are checked by the golden files, printf's agreement by the fuzz corpus.

#include "telemetry/value_text.h"

#include <gtest/gtest.h>

namespace twk {
namespace {

TEST(ValueText, EachRuleAtItsEdges) {
  struct Case {
    int channel;  // whose panel rule applies; -1 for the CSV's general text, -2 for the chart's
                  // time labels (the panel's clock to the minute)
    double x;
    const char* separator;
    const char* text;
  };
  const Case cases[] = {
      {-1, 0.00001, ".", "1E-05"},
      {-1, -0.000015, ",", "-1,5E-05"},
      {-1, 0.0001, ".", "0.0001"},
      {-1, 1.0 / 3, ".", "0.333333333333333"},
      {-1, 999999999999999.9, ".", "1E+15"},
      {-1, -0.0, ".", "0"},
      {-1, 4294967295.0, ",", "4294967295"},
      {2, 0.125, ".", ".13"},   // "#.00": halves away from zero
      {2, 2.675, ".", "2.68"},  // judged on 15 digits, not on the binary value below 2.675
      {2, -0.0039, ".", ".00"},
      {2, 0.00503, ".", ".01"},  // a half cent below a cent rounds up, a tenth of one down
      {2, 0.00061, ".", ".00"},
      {2, -0.0078, ".", "-.01"},
      {2, -0.078125, ",", "-,08"},
      {2, 999.999, ".", "1000.00"},
      {1, 2.5, ".", "2"},  // whole numbers: halves to even
      {1, 3.5, ".", "4"},
      {28, 4294967295.0, ".", "4294967295"},
      {26, 4096, ".", "1000"},
      {29, 255, ".", "FF"},
      {0, 1234567, ",", "3215,02 sec  => 0d 00:53:35"},  // "#.##", then the clock
      {0, 960, ".", "2.5 sec  => 0d 00:00:02"},
      {0, 1344, ".", "3.5 sec  => 0d 00:00:04"},
      {0, 34583424, ".", "90061. sec  => 1d 01:01:01"},
      {0, 0, ".", ". sec  => 0d 00:00:00"},
      {-2, (2 * 86400 + 14 * 3600 + 5 * 60 + 59) * 384.0, ".", "2d 14:05"},
      {-2, 0, ".", "0d 00:00"},
      {-2, -384, ".", "-1d 23:59"},
      {-2, (123 * 86400.0 + 3600) * 384, ".", "123d 01:00"},
      {-2, 1e30, ".", "2604166666666666535197605888"},  // no clock: the whole seconds
  };
  for (const Case& c : cases) {
    const std::string text = c.channel == -2   ? shortTimeText(c.x)
                             : c.channel == -1 ? generalText(c.x, c.separator)
                                               : channelText(c.channel, c.x, c.separator);
    EXPECT_EQ(text, c.text) << "channel " << c.channel << ": " << c.x;
  }
}

}  // namespace
}  // namespace twk
