#include "intake/log_decoder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/error.h"
#include "log_text.h"
#include "telemetry/channel_conversion.h"
#include "temp_dir.h"

namespace twk {
namespace {

// Records what the window would be told.
class RecordingSink : public StoreSink {
 public:
  using StoreSink::StoreSink;
  void fileStarted(const std::string& path) override { started.push_back(path); }
  void lineShown(std::string_view text) override { shown.emplace_back(text); }

  std::vector<std::string> started;
  std::vector<std::string> shown;
};

std::size_t openFiles() {
  return static_cast<std::size_t>(std::distance(
      std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator{}));
}

struct Load {
  PacketStore store;
  ChannelStore values;
  RecordingSink sink{store};
};

const std::string kOther = "C0 00 A0 86 58 30 41 42 43 2D 31 03 F0 01";

TEST(DecodeLog, PacketsNumberedAcrossFilesAndOnlyTelemetryLinesCount) {
  const test::TempDir dir;
  const std::string a = dir.write("a.log", test::telemetryLine({{35, 1}}) + "\r\n" + kOther +
                                               "\r\n" + test::telemetryLine({{35, 2}}) + "\r\n");
  const std::string b = dir.write("b.log", "# station note\n" + test::telemetryLine({{35, 3}}));
  Load load;
  decodeLogIntoStore(a, load.sink, load.store, load.values);
  decodeLogIntoStore(b, load.sink, load.store, load.values);
  EXPECT_EQ(load.store.Packet_Count, 3);
  EXPECT_EQ(load.sink.started, (std::vector<std::string>{a, b}));
  ASSERT_EQ(load.sink.shown.size(), 3u);
  EXPECT_EQ(load.sink.shown[0].substr(0, 24), "C000A086583054574B2D3100");
  for (int p = 1; p <= 3; ++p) EXPECT_EQ(load.values.Channel_Values[p][1], 256 * p) << p;
}

TEST(DecodeLog, PositionsPastAShortLineHoldNothingOfAnEarlierLoad) {
  const test::TempDir dir;
  Load load;
  decodeLog(dir.write("long.log", test::telemetryLine({{40, 0x11}, {100, 0x22}}, 120)), load.sink);
  load.store.Packet_Count = 0;  // a new load
  decodeLog(dir.write("short.log", test::telemetryLine({{20, 0x33}}, 30)), load.sink);
  const PacketRow& row = load.store.Packet_Bytes[1];
  EXPECT_EQ(row[20], 0x33);
  EXPECT_EQ(row[31], 0);  // the byte loop's last pass writes 0 past a whole number of bytes
  EXPECT_EQ(row[40], 0);
  EXPECT_EQ(row[100], 0);
}

TEST(DecodeLog, EmptyFileAndFileWithoutTelemetryAreNoError) {
  const test::TempDir dir;
  Load load;
  load.store.Packet_Count = 7;
  EXPECT_NO_THROW(decodeLog(dir.write("empty.log", ""), load.sink));
  EXPECT_NO_THROW(decodeLog(dir.write("other.log", kOther + "\n\n"), load.sink));
  EXPECT_EQ(load.store.Packet_Count, 7);
  EXPECT_EQ(load.sink.started.size(), 2u);
  EXPECT_TRUE(load.sink.shown.empty());
}

struct ErrorCase {
  const char* name;
  ErrorKind kind;
  std::uint64_t line;
  const char* reasonStart;
};

void expectError(const std::function<void()>& decode, const ErrorCase& expected) {
  try {
    decode();
    ADD_FAILURE() << expected.name << ": no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), expected.kind) << expected.name;
    EXPECT_EQ(e.line(), expected.line) << expected.name;
    EXPECT_EQ(e.reason().rfind(expected.reasonStart, 0), 0u) << expected.name << ": " << e.what();
  }
}

TEST(DecodeLog, FilesThatCannotBeReadAreNotStarted) {
  const test::TempDir dir;
  const std::size_t before = openFiles();
  Load load;
  expectError([&] { decodeLog(dir.file("missing.log"), load.sink); },
              {"missing", ErrorKind::OpenFailed, 0, "No such file or directory"});
  expectError([&] { decodeLog(dir.path().string(), load.sink); },
              {"folder", ErrorKind::OpenFailed, 0, "Is a directory"});
  EXPECT_TRUE(load.sink.started.empty());
  EXPECT_EQ(openFiles(), before);
  try {
    decodeLog(dir.file("missing.log"), load.sink);
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), dir.file("missing.log") + ": No such file or directory");
  }
}

TEST(DecodeLog, TableFullShowsTheLineThatDoesNotFitWithoutCountingIt) {
  const test::TempDir dir;
  const std::size_t before = openFiles();
  Load load;
  load.store.Packet_Count = kMaxPackets - 2;
  const std::string log = dir.write("full.log", test::telemetryLine({{35, 1}}) + "\r\n" + kOther +
                                                    "\r\n" + test::telemetryLine({{35, 2}}) +
                                                    "\r\n" + test::telemetryLine({{35, 3}}));
  expectError([&] { decodeLogIntoStore(log, load.sink, load.store, load.values); },
              {"full", ErrorKind::TableFull, 4, "packet table full"});
  EXPECT_EQ(load.store.Packet_Count, kMaxPackets);
  ASSERT_EQ(load.sink.shown.size(), 3u);
  EXPECT_EQ(load.sink.shown[2].substr(70, 4), "0300");  // the line of the 5001st packet
  EXPECT_EQ(load.values.Channel_Values[kMaxPackets][1], 512);  // converted before the error
  EXPECT_EQ(openFiles(), before);
}

TEST(DecodeLog, TooLongLineIsCountedShownStoredAndConvertedThenStops) {
  const test::TempDir dir;
  // 151 bytes: 302 hex digits, one position past the row.
  const std::string tooLong = test::telemetryLine({{35, 0x12}, {150, 0x77}}, 150);
  const std::string log =
      dir.write("long.log", kOther + "\n" + test::telemetryLine({{35, 1}}) + "\n" + tooLong + "\n" +
                                test::telemetryLine({{35, 9}}) + "\n");
  const std::size_t before = openFiles();
  Load load;
  load.store.Packet_Bytes[2][150] = 5;
  load.values.Channel_Values[2][1] = -1;
  expectError([&] { decodeLogIntoStore(log, load.sink, load.store, load.values); },
              {"too long", ErrorKind::LineTooLong, 3, "line too long: 302 hex digits"});
  EXPECT_EQ(load.store.Packet_Count, 2);
  EXPECT_EQ(load.sink.shown.size(), 2u);
  EXPECT_EQ(load.store.Packet_Bytes[2][150], 0x77);
  EXPECT_EQ(load.values.Channel_Values[2][1], 0x1200);
  EXPECT_EQ(openFiles(), before);

  // 301 digits still fit.
  Load fits;
  const std::string last = tooLong.substr(0, tooLong.size() - 1);
  EXPECT_NO_THROW(decodeLog(dir.write("fits.log", last), fits.sink));
  EXPECT_EQ(fits.store.Packet_Bytes[1][150], 7);
}

TEST(DecodeLog, LineOverTheReadBoundStoresItsFirstCharacters) {
  const test::TempDir dir;
  std::string line = test::telemetryLine({{35, 0xAB}}, 40);
  line += std::string(70000 - line.size(), ' ');  // fits 151 positions, but cannot be read whole
  Load load;
  expectError([&] { decodeLog(dir.write("wide.log", "x\r\n" + line + "\r\n"), load.sink); },
              {"wide", ErrorKind::LineTooLong, 2, "line too long: 70000 characters"});
  EXPECT_EQ(load.store.Packet_Count, 1);
  EXPECT_EQ(load.store.Packet_Bytes[1][35], 0xAB);
}

}  // namespace
}  // namespace twk
