// The converter's row formatter against the straightforward decoder for every raw input of every
// channel, and the window's chunked load at the packets held. Whole logs through both ways, with
// chunk edges everywhere, are the converter fuzzer's, whose corpus CTest replays.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/csv_row_formatter.h"
#include "export/store_loader.h"
#include "log_text.h"
#include "simple_csv.h"
#include "telemetry/channel_inputs.h"
#include "temp_dir.h"

namespace twk {
namespace {

TEST(CsvRowFormatter, EveryInputOfEveryChannelIsWrittenAsTheSimplePathWritesIt) {
  for (const std::string separator : {",", "\xD9\xAB"}) {
    CsvRowFormatter formatter(separator);
    std::vector<char> written(formatter.rowRoom());
    for (std::uint32_t word = 0; word < 65536; ++word) {
      ChannelBytes bytes;
      PacketRow row{};
      for (std::size_t k = 0; k < kChannelBytePositions; ++k) {
        // Every word channel reads word; the byte and count channels read its bytes in turn.
        bytes.at[k] = static_cast<std::uint8_t>(k % 2 == 1 ? word >> 8 : word);
        row[k] = bytes.at[k];
      }
      for (const ChannelInput& input : channelInputs()) {
        if (input.source == ChannelSource::Word) {
          const auto k = static_cast<std::size_t>(input.position);
          bytes.at[k] = static_cast<std::uint8_t>(word >> 8);
          bytes.at[k + 1] = static_cast<std::uint8_t>(word);
          row[k] = bytes.at[k];
          row[k + 1] = bytes.at[k + 1];
        }
      }
      ChannelRow values;
      convertPacket(row, values);
      std::string expected;
      appendCsvRow(expected, values, separator);
      // Twice: the second row comes from the texts the first one kept.
      for (int round = 0; round < 2; ++round) {
        char* end = formatter.writeRow(bytes, written.data());
        ASSERT_EQ(std::string(written.data(), end), expected) << "word " << word;
      }
    }
  }
}

// A load stops at the packets held: the chunked path leaves the store as it was, and the line
// decoder fills it up to the line that does not fit.
TEST(StoreLoader, LeavesAFullStoreToTheLineDecoder) {
  const test::TempDir dir;
  std::string text;
  for (int i = 0; i < 150; ++i) text += test::telemetryLine({{35, std::uint8_t(i)}}) + "\n";
  const std::string path = dir.write("full.log", text);
  for (const int before : {0, 30}) {
    PacketStore store(100);
    for (int i = 0; i < before; ++i) store.append();
    StoreSink sink(store);
    EXPECT_FALSE(loadLogInChunks(path, sink, store, 0, 4096));
    EXPECT_EQ(store.Packet_Count, before);
    EXPECT_TRUE(loadLogInChunks(dir.write("some.log", text.substr(0, text.size() / 3)), sink, store,
                                0, 4096));
    EXPECT_EQ(store.Packet_Count, before + 50);
  }
}

}  // namespace
}  // namespace twk
