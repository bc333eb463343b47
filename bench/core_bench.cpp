// Benchmarks of the per-line work of the core: recognising, un-escaping and storing a log line,
// converting a packet and writing its CSV line, and the converter's one-pass equivalents. The
// lines come from samples/sample.log.

#include <benchmark/benchmark.h>

#include <array>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "export/csv_row_formatter.h"
#include "export/csv_writer.h"
#include "intake/channel_bytes.h"
#include "intake/telemetry_line.h"
#include "telemetry/channel_conversion.h"

namespace {

// Beacons of X0TWK-1: the one with the most escape pairs, the longest, and a plain one.
constexpr std::array<std::string_view, 3> kBeacons = {
    "8C 10 58 69 58 30 54 57 4B 2D 31 03 09 58 01 00 03 4C DC C2 D7 DA 00 05 64 49 D7 DE 6A FC "
    "4E 34 21 00 00 1C 0F 07 D7 DF D7 DE 2D 01 AB 65 6B F6 40 07 DA D7 DE 97 80 7D 65 61 F6 D2 "
    "01 00 02 00 00 00 63 20 02 65 02 71 ED EC 5A 57 5F AA 99 00 F2 00 03 D7 DE 96 F5 D7 DF F5 "
    "D7 DE 70 F5 0A 5C C6 0C 57 B8 84 01 D7 D6 E5 C6 1B 92 FE CC 6E 8A C9 85",
    "8C 10 0E 71 58 30 54 57 4B 2D 31 03 02 0E 01 00 03 4B 4C D4 DC 00 04 59 AA C7 A8 D7 DF D3 "
    "08 48 00 00 06 31 05 9F D7 DE 41 02 94 62 64 F6 31 06 D7 DE D7 DE 99 00 95 64 69 F7 97 00 "
    "00 00 00 01 00 64 1D 02 65 02 6F ED EC 5A 57 68 6B 4C 00 BB 00 03 F7 C1 F1 D7 DF 62 88 A8 "
    "35 DF 3E D3 D7 DA 83 42 07 AF 27 C0 E9 D7 DA E6 F6 58 C1 B6 C0 8A E0 9C 85 80 BA 2E 69 28",
    "8C 10 5D 5E 58 30 54 57 4B 2D 31 03 05 DD 01 00 03 4C 1A DC C6 00 04 E3 05 0A A6 D3 51 1D "
    "26 00 00 11 9E 06 D9 06 3C 06 76 64 F4 0B 92 07 E0 04 8F 02 F4 66 5E 08 34 00 53 00 D0 31 "
    "00 5F 1F 02 65 02 6F F1 EF 5B 5A 6B 10 EA 00 D9 00 03 D7 D9 B8 D7 D8 D7 DF 6B B1 1B 7C 01 "
    "42 F0 1E 03 2D 21 AD",
};

// Lines a station log holds between beacons: another call sign at the same column, the beacon
// in lower case, a clock line, a counter line.
constexpr std::array<std::string_view, 4> kOthers = {
    "8C 5D 78 67 58 30 54 57 4C 2D 31 FD 66 EC D0 57 77 17 C6 E4 8E D7 D8 C1 15 5D 7E 74 F4 04 "
    "7A 13 2A D5 62 2B 87 E1 B9 C9 D7 DF E9 D5 A1 FD AC E1 16 9C 92 0E 18 74 19 4D E7 9E 00 CA",
    "8c 10 15 60 58 30 54 57 4b 2d 31 03 00 15 01 00 03 4a db cd 7c 00 04 0e 50 ee cd e9 cb ea "
    "93 00 00 00 46 04 d7 df 05 42 0c ed 62 d5 08 2e 06 68 04 de 08 ab 64 ac 06 a1 00 e9 25 00",
    "2026-03-08 10:02:14 UTC",
    "; X0GND-2 rx frames=6 crc_err=1",
};

// A log's mix: in the sample about five beacons come with three other lines.
std::vector<std::string_view> mixedLines() {
  std::vector<std::string_view> lines;
  for (int round = 0; round < 4; ++round) {
    for (const std::string_view beacon : kBeacons) lines.push_back(beacon);
    lines.push_back(kBeacons[static_cast<std::size_t>(round) % kBeacons.size()]);
    lines.push_back(kOthers[static_cast<std::size_t>(round)]);
    lines.push_back(kOthers[static_cast<std::size_t>(round + 1) % kOthers.size()]);
    lines.push_back(kOthers[static_cast<std::size_t>(round + 2) % kOthers.size()]);
  }
  return lines;
}

std::int64_t totalLength(const std::vector<std::string_view>& lines) {
  std::int64_t total = 0;
  for (const std::string_view line : lines) total += static_cast<std::int64_t>(line.size() + 2);
  return total;
}

twk::PacketBytes decodedRow(std::string_view line) {
  twk::ChannelBytes bytes;
  twk::readChannelBytes(line, bytes);
  return bytes.at;
}

void BM_IsTelemetryLine(benchmark::State& state) {
  const std::vector<std::string_view> lines = mixedLines();
  for (auto _ : state) {
    for (const std::string_view line : lines) benchmark::DoNotOptimize(twk::isTelemetryLine(line));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lines.size()));
}
BENCHMARK(BM_IsTelemetryLine);

void BM_UnescapeLine(benchmark::State& state) {
  const std::string_view line = kBeacons[static_cast<std::size_t>(state.range(0))];
  std::string shown;
  for (auto _ : state) {
    twk::unescapeLine(line, shown);
    benchmark::DoNotOptimize(shown.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(line.size()));
}
BENCHMARK(BM_UnescapeLine)->DenseRange(0, kBeacons.size() - 1);

void BM_ConvertPacket(benchmark::State& state) {
  std::vector<twk::PacketBytes> rows;
  rows.reserve(kBeacons.size());
  for (const std::string_view beacon : kBeacons) rows.push_back(decodedRow(beacon));
  twk::ChannelRow values{};
  for (auto _ : state) {
    for (const twk::PacketBytes& row : rows) {
      twk::convertPacket(row, values);
      benchmark::DoNotOptimize(values.data());
      benchmark::ClobberMemory();
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(rows.size()));
}
BENCHMARK(BM_ConvertPacket);

void BM_AppendCsvRow(benchmark::State& state) {
  std::vector<twk::ChannelRow> values;
  for (const std::string_view beacon : kBeacons) {
    values.emplace_back();
    twk::convertPacket(decodedRow(beacon), values.back());
  }
  std::string out;
  std::int64_t written = 0;
  for (auto _ : state) {
    for (const twk::ChannelRow& row : values) twk::appendCsvRow(out, row, ".");
    benchmark::DoNotOptimize(out.data());
    written += static_cast<std::int64_t>(out.size());
    out.clear();  // keeps its capacity, as the CSV writer's chunk buffer does
  }
  state.SetBytesProcessed(written);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(BM_AppendCsvRow);

// The converter's one-pass step over a log's mix of lines, in log text per second.
void BM_ReadChannelBytes(benchmark::State& state) {
  const std::vector<std::string_view> lines = mixedLines();
  twk::ChannelBytes bytes;
  for (auto _ : state) {
    for (const std::string_view line : lines) {
      if (!twk::isTelemetryLine(line)) continue;
      twk::readChannelBytes(line, bytes);
      benchmark::DoNotOptimize(bytes.at.data());
    }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * totalLength(lines));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lines.size()));
}
BENCHMARK(BM_ReadChannelBytes);

// The converter's rows: of the beacons above, whose texts it keeps (0), and of random channel
// bytes, more packets than it keeps texts for (1).
void BM_WriteRow(benchmark::State& state) {
  std::vector<twk::ChannelBytes> packets;
  if (state.range(0) == 0) {
    for (const std::string_view beacon : kBeacons) {
      packets.emplace_back();
      twk::readChannelBytes(beacon, packets.back());
    }
  } else {
    std::mt19937 random(1);
    packets.resize(65536);
    for (twk::ChannelBytes& packet : packets) {
      for (std::uint8_t& byte : packet.at) byte = static_cast<std::uint8_t>(random());
    }
  }
  twk::CsvRowFormatter formatter(".");
  std::vector<char> out(formatter.rowRoom());
  std::int64_t written = 0;
  for (auto _ : state) {
    for (const twk::ChannelBytes& packet : packets) {
      written += formatter.writeRow(packet, out.data()) - out.data();
      benchmark::ClobberMemory();
    }
  }
  state.SetBytesProcessed(written);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(packets.size()));
}
BENCHMARK(BM_WriteRow)->Arg(0)->Arg(1);

}  // namespace
