#include <gtest/gtest.h>

#include "frame_text.h"
#include "intake/line_decoder.h"

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
    PacketRow row{};
    ASSERT_FALSE(storeLineBytes(shown, row).tooLong);
    for (std::size_t i = 0; i < frame.size(); ++i) {
      EXPECT_EQ(row[i], double(frame[i])) << std::hex << int(frame[i]) << " in " << text;
    }
  }
}

}  // namespace
}  // namespace twk
