// Reading logs: line ends and byte-order marks from a file and from a pipe, what a failing file
// leaves in the store, and the packets a store holds. Whole logs are checked by the golden files
// (the byte loop among them), and a log read while a station writes it by the follower fuzzer,
// whose corpus CTest replays.

#include <fcntl.h>

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <thread>
#include <utility>

#include "core/error.h"
#include "intake/channel_bytes.h"
#include "intake/chunk_reader.h"
#include "intake/log_follower.h"
#include "intake/store_loader.h"
#include "log_text.h"
#include "simple_csv.h"
#include "telemetry/channel_conversion.h"
#include "temp_dir.h"

namespace twk {
namespace {

// Over bytes of 99, an earlier line's: nothing of them may stay past the line's end. A line of
// L characters reaches position L / 2 rounded half to even: 301 still fits, 302 does not.
TEST(ChannelBytes, WritesHalfTheLengthRoundedToEvenPlusOnePositions) {
  struct Case {
    std::string shown;
    bool tooLong;
    std::vector<std::pair<int, int>> cells;
  };
  const Case cases[] = {
      {"", false, {{0, 0}, {1, 0}}},
      {"ABCDE", false, {{1, 0xCD}, {2, 0xE}, {3, 0}}},
      {"ABCDEF1", false, {{3, 1}, {4, 0}, {5, 0}}},
      {"4B4G", false, {{1, 0x4}, {2, 0}, {82, 0}}},
      {std::string(301, 'A'), false, {{82, 0xAA}}},
      {std::string(302, 'A'), true, {}},
  };
  for (const Case& c : cases) {
    ChannelBytes bytes;
    bytes.at.fill(99);
    readChannelBytes(c.shown, bytes);
    EXPECT_EQ(bytes.tooLong, c.tooLong) << c.shown.size();
    for (const auto& [position, value] : c.cells)
      EXPECT_EQ(bytes.at[std::size_t(position)], value) << c.shown << " at " << position;
  }
}

// A file comes in reads of this size: the first long line's CR ends the second read, and the
// line after the second long line begins in it.
constexpr std::size_t kFill = 64 * 1024;

// Every line as "number:text|", or "number:length/kept|" for a line too long to keep.
std::string readAll(int fd) {
  ChunkReader reader(fd, kFill);
  std::string out;
  int number = 0;
  for (LogChunk chunk; reader.next(chunk);) {
    if (chunk.longLineLength != 0) {
      out += std::to_string(++number) + ':' + std::to_string(chunk.longLineLength) + '/' +
             std::to_string(chunk.size) + '|';
      continue;
    }
    for (const char* p = chunk.text.data(); p < chunk.text.data() + chunk.size;) {
      out += std::to_string(++number) + ':' +
             std::string(takeLine(p, chunk.text.data() + chunk.size)) + '|';
    }
  }
  return out;
}

std::string utf16(const std::string& text, bool little) {
  std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
  for (const char c : text) {
    const char high = c == '~' ? '\x20' : '\0';  // '~' stands for U+2000, outside ASCII
    const char low = c == '~' ? '\0' : c;
    bytes += little ? std::string{low, high} : std::string{high, low};
  }
  return bytes;
}

// Each input is read from a file and, when short, through a pipe that delivers one byte per
// read, so byte-order marks and UTF-16 characters arrive split between reads.
TEST(ChunkReader, LineEndsAndByteOrderMarksFromAFileAndAPipe) {
  const auto cut = [](std::size_t length) { return std::to_string(length) + "/32"; };
  const std::pair<std::string, std::string> cases[] = {
      {"a\r\nb\nc\rd", "1:a|2:b|3:c|4:d|"},
      {"a\n\rb\r\r\n", "1:a|2:|3:b|4:|"},
      {std::string("\xEF\xBB\xBF") + "58\r\nx", "1:58|2:x|"},
      {"\xEF\xBB", "1:\xEF\xBB|"},
      {utf16("4B\r\n3~\nend", true), "1:4B|2:3?|3:end|"},
      {utf16("4B\r\n3~\nend", false), "1:4B|2:3?|3:end|"},
      {utf16("ab", true) + "A", "1:ab|"},  // a lone last byte is no character
      {std::string(2 * kFill - 1, 'x') + "\r\nab", "1:" + cut(2 * kFill - 1) + "|2:ab|"},
      {std::string(2 * kFill - 3, 'x') + "\r\nabcd\r\n", "1:" + cut(2 * kFill - 3) + "|2:abcd|"},
      // Long as read, short without its blanks: kept, with its runs of blanks cut to two, so
      // that two blanks never become an escape pair's one.
      {"a" + std::string(kFill + 9, ' ') + "D7    DF D7 DE\n",
       "1:a" + std::string(33, ' ') + "D7  DF D7 DE|"},
  };
  const test::TempDir dir;
  for (const auto& [bytes, lines] : cases) {
    const int file = ::open(dir.write("log", bytes).c_str(), O_RDONLY);
    EXPECT_EQ(readAll(file), lines);
    ::close(file);
    if (bytes.size() > 100) continue;
    const std::string& input = bytes;
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    std::thread writer([&input, in = pipe[1]] {
      for (const char c : input) {
        if (::write(in, &c, 1) != 1) break;
        for (int left = 1; ::ioctl(in, FIONREAD, &left) == 0 && left > 0;)
          std::this_thread::yield();
      }
      ::close(in);
    });
    EXPECT_EQ(readAll(pipe[0]), lines) << "through a pipe";
    writer.join();
    ::close(pipe[0]);
  }
}

// The text of the lines a follower hands out; after the first chunk, the station's move.
struct TextSink : ChunkSink {
  struct : ChunkDecoder {
    void packet(const ChannelBytes&, DecodedChunk&) override {}
  } none;
  std::string text;
  std::function<void()> afterLines;
  ChunkDecoder& decoder(unsigned) override { return none; }
  void take(const DecodedChunk& chunk, const std::string&, std::uint64_t) override {
    text += chunk.input.lines();
    if (afterLines) std::exchange(afterLines, nullptr)();
  }
};

// The station empties the log, or writes it anew, as the follower hands out a pass's last line,
// before it has taken note of what it read: the next look reads the new pass whole. What it
// compares is the file's bytes as read, not the text they became. A pipe cannot be written
// anew: it is read as it comes.
TEST(LogFollower, ALogEmptiedAsALookEndsIsReadAgainFromItsStart) {
  using enum LogFollower::Change;
  const std::string pass = "# pass 1\nline 1\nline 2\n";
  const std::string next = "# pass 2\nline 3\nline 4\n";  // as long as pass
  struct Case {
    std::string first;   // the log at the first look
    std::string during;  // what it holds once that look handed out its lines
    std::string after;   // appended after that look
    LogFollower::Change change;
    std::string read;  // what the next look hands out
  };
  const Case cases[] = {
      {pass, "", "# pass 2\n", Truncated, "# pass 2\n"},
      {pass, "", next + "line 5\n", Truncated, next + "line 5\n"},
      {pass, next, "", Truncated, next},
      {utf16(pass, true), utf16(pass, true), utf16("line 3\n", true).substr(2), None, "line 3\n"},
  };
  const test::TempDir dir;
  for (const Case& c : cases) {
    const std::string log = dir.write("pass.log", c.first);
    LogFollower follower(log, 1);
    TextSink sink;
    sink.afterLines = [&dir, &c] { dir.write("pass.log", c.during); };
    EXPECT_EQ(follower.read(sink), None);
    std::ofstream(log, std::ios::app | std::ios::binary) << c.after;
    sink.text.clear();
    EXPECT_EQ(follower.read(sink), c.change) << c.read;
    EXPECT_EQ(sink.text, c.read);
  }
  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  int station = ::open(fifo.c_str(), O_RDWR);  // so that the follower's open does not wait
  LogFollower follower(fifo, 1);
  TextSink sink;
  for (const std::string line : {"a\n", "b\n"}) {
    if (station < 0) station = ::open(fifo.c_str(), O_WRONLY);
    ASSERT_EQ(::write(station, line.data(), line.size()), ssize_t(line.size()));
    ::close(std::exchange(station, -1));  // a pipe ends a look once no one writes to it
    sink.text.clear();
    EXPECT_EQ(follower.read(sink), None);
    EXPECT_EQ(sink.text, line);
  }
}

std::size_t openFiles() {
  return std::size_t(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

// A failing file stops with a message naming it and the line; the packets counted before it
// are held, and no file stays open.
TEST(LoadLog, ErrorsKeepWhatWasRead) {
  const test::TempDir dir;
  const std::string other = "C0 00 A0 86 58 30 41 42 43 2D 31 03 F0 01";
  const auto line = [](int raw) { return test::telemetryLine({{35, std::uint8_t(raw)}}); };
  // Over kMaxLineLength characters as read: one that fits without its blanks, one that does not.
  std::string wide = test::telemetryLine({{35, 9}}, 40);
  wide += std::string(70000 - wide.size(), ' ');
  const std::string tooWide = test::telemetryLine({}, 12) + std::string(66000, '0');
  struct Case {
    std::string path;
    int countBefore;
    std::string message;  // after the path
    int stored;           // packets counted from this file
  };
  const Case cases[] = {
      {dir.file("missing.log"), 7, ": No such file or directory", 0},
      {dir.path().string(), 7, ": Is a directory", 0},
      {dir.write("long.log", other + "\n" + line(1) + "\n" + test::telemetryLine({}, 150) + "\n"),
       0, ":3: line too long: 302 hex digits after un-escaping (at most 301 fit)", 1},
      {dir.write("wide.log", "x\r\n" + wide + "\n" + tooWide), 0,
       ":3: line too long: 66026 characters besides blanks", 1},
      {dir.write("full.log", line(1) + "\r\n" + other + "\r\n" + line(2) + "\r\n" + line(3)),
       kDefaultPacketsHeld - 2, ":4: packet table full: a load holds at most 5000", 2},
  };
  const std::size_t filesBefore = openFiles();
  for (const Case& c : cases) {
    PacketStore store;
    test::LoadSink sink;
    sink.readOn = false;
    for (int p = 0; p < c.countBefore; ++p) store.append();
    try {
      storeLog(c.path, sink, store, 0);
      ADD_FAILURE() << c.path << ": no error";
    } catch (const Error& e) {
      EXPECT_TRUE(std::string(e.what()).starts_with(c.path + c.message)) << e.what();
    }
    EXPECT_EQ(store.count(), c.countBefore + c.stored) << c.path;
    EXPECT_EQ(openFiles(), filesBefore) << c.path;
  }
}

// Packets stamped with their number in bytes 35 and 36, appended to a store of a given capacity;
// what it holds afterwards, by number.
TEST(PacketStore, HoldsTheNewestOfAFollowedLogAndTheFirstOfALoad) {
  using enum PacketStore::WhenFull;
  struct Case {
    int capacity;
    PacketStore::WhenFull whenFull;
    int appended;
    std::vector<int> passesBefore;  // the packets whose append a new pass precedes
    int resizedTo;                  // a capacity set afterwards, 0 for none
    int held;
    std::int64_t first;  // the number of row 1
    std::vector<int> passRows;
  };
  const Case cases[] = {
      {100, Refuse, 100, {}, 0, 100, 1, {}},
      {100, DropOldest, 99, {}, 0, 99, 1, {}},
      {100, DropOldest, 350, {}, 0, 100, 251, {}},
      {100, DropOldest, 350, {200, 300}, 0, 100, 251, {50}},  // pass 200 has left
      {100, DropOldest, 350, {252, 260}, 0, 100, 251, {2, 10}},
      {150, DropOldest, 1000, {}, 100, 100, 901, {}},  // a smaller capacity keeps the newest
      {100, DropOldest, 1000, {990}, 500, 100, 901, {90}},
      {10, DropOldest, 500, {}, 0, 100, 401, {}},  // at least 100 are held
  };
  for (const Case& c : cases) {
    PacketStore store(c.capacity);
    store.setWhenFull(c.whenFull);
    for (int n = 1; n <= c.appended && store.hasRoom(); ++n) {
      if (std::count(c.passesBefore.begin(), c.passesBefore.end(), n) != 0) store.markPassStart();
      PacketBytes& bytes = store.append();
      bytes[35] = static_cast<std::uint8_t>(n >> 8);
      bytes[36] = static_cast<std::uint8_t>(n);
    }
    if (c.resizedTo != 0) store.setCapacity(c.resizedTo);
    ASSERT_EQ(store.count(), c.held) << c.appended;
    EXPECT_EQ(store.firstNumber(), c.first) << c.appended;
    EXPECT_EQ(store.lastNumber(), c.first + c.held - 1) << c.appended;
    EXPECT_EQ(store.passStartRows(), c.passRows) << c.appended;
    for (int row = 1; row <= store.count(); ++row) {
      const PacketBytes& b = store.bytes(row);
      ASSERT_EQ(b[35] * 256 + b[36], store.numberOf(row)) << c.appended << " row " << row;
      ASSERT_EQ(store.rowOf(store.numberOf(row)), row);
    }
    EXPECT_EQ(store.rowOf(c.first - 1), 0);
    // Emptied, it numbers from 1 again.
    store.clear();
    store.append();
    EXPECT_EQ(store.lastNumber(), 1);
    EXPECT_TRUE(store.passStartRows().empty());
  }
}

}  // namespace
}  // namespace twk
