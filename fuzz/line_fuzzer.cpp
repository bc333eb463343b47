// One line through the marker test, the un-escaping and the byte loop, into a row of a store
// that already holds packets, then through the conversion and the CSV text; and through the
// one-pass line-to-bytes step, which must agree with them.

#include <cmath>
#include <cstdint>
#include <string>

#include "export/csv_writer.h"
#include "fuzz_check.h"
#include "intake/channel_bytes.h"
#include "intake/line_decoder.h"
#include "telemetry/channel_conversion.h"
#include "unescape_by_passes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace twk;
  static PacketStore store = [] {
    PacketStore s;
    for (auto& row : s.Packet_Bytes) row.fill(0xA5);
    s.Packet_Count = 4990;
    return s;
  }();

  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const bool telemetry = isTelemetryLine(line);
  TWK_FUZZ_CHECK(!telemetry || line.substr(kMarkerOffset, kMarker.size()) == kMarker);

  std::string shown;
  unescapeLine(line, shown);
  TWK_FUZZ_CHECK(shown == test::unescapeByPasses(std::string(line)));

  PacketRow& row = store.Packet_Bytes[static_cast<std::size_t>(store.Packet_Count) + 1];
  const PacketRow before = row;
  const StoredBytes stored = storeLineBytes(shown, row);
  TWK_FUZZ_CHECK(stored.tooLong == (shown.size() > kMaxShownLength));
  TWK_FUZZ_CHECK(stored.positions >= 1 && stored.positions <= kBytePositions);
  for (int i = 0; i < kBytePositions; ++i) {
    const double cell = row[static_cast<std::size_t>(i)];
    if (i < stored.positions) {
      TWK_FUZZ_CHECK(cell >= 0 && cell <= 255 && cell == std::floor(cell));
    } else {
      TWK_FUZZ_CHECK(cell == 0);
    }
  }

  // The one-pass step reads the line as read into the same bytes and the same verdict.
  ChannelBytes bytes;
  readChannelBytes(line, bytes);
  TWK_FUZZ_CHECK(bytes.tooLong == stored.tooLong);
  if (bytes.tooLong) TWK_FUZZ_CHECK(bytes.shownLength == shown.size());
  for (std::size_t i = 0; i < kChannelBytePositions && !bytes.tooLong; ++i) {
    TWK_FUZZ_CHECK(bytes.at[i] == row[i]);
  }

  ChannelRow values;
  convertPacket(row, values);
  std::string text;
  appendCsvRow(text, values, ",");
  for (const double value : values) TWK_FUZZ_CHECK(std::isfinite(value));
  TWK_FUZZ_CHECK(text.size() >= 33 && text.compare(text.size() - 3, 3, ";\r\n") == 0);
  row = before;
  return 0;
}
