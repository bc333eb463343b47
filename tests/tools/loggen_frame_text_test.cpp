#include <gtest/gtest.h>

#include "frame_text.h"
#include "intake/telemetry_line.h"

namespace twk {
namespace {

// twk-loggen's frame text as the decoder reads it: every byte value, escaped or not, comes back
// as it was written.
TEST(LoggenFrameText, EveryByteValueReadsBack) {
  for (const int first : {0, 128}) {
    std::vector<std::uint8_t> frame = {0x8C, 0x10, 0x01, 0x02, 0x58, 0x30,
                                       0x54, 0x57, 0x4B, 0x2D, 0x31};
    for (int value = first; value < first + 128; ++value) frame.push_back(std::uint8_t(value));
    std::string text;
    appendFrameText(frame, text);
    ASSERT_TRUE(isTelemetryLine(text)) << text;
    std::string shown;
    unescapeLine(text, shown);
    ASSERT_EQ(shown.size(), 2 * frame.size()) << text;
    for (std::size_t i = 0; i < frame.size(); ++i) {
      EXPECT_EQ(std::stoi(shown.substr(2 * i, 2), nullptr, 16), frame[i])
          << std::hex << int(frame[i]) << " in " << text;
    }
  }
}

}  // namespace
}  // namespace twk
