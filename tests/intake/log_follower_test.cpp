// A log read while a station writes it: bursts that end inside a line, truncation, rotation and
// the errors that stop following, all without timing: each step writes, then reads.

#include "intake/log_follower.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "core/error.h"
#include "log_text.h"
#include "temp_dir.h"

namespace twk {
namespace {

// The packet numbered id: its RAAC word carries the number.
std::string packet(int id) {
  return test::telemetryLine(test::word(35, static_cast<unsigned>(id)));
}

TEST(LogFollower, TakesEachCompleteLineOnceInOrderThroughBurstsTruncationAndRotation) {
  const test::TempDir dir;
  const std::string path = dir.write("pass.log", "");
  const std::string fifth = packet(5) + "\r\n";
  enum Action { Append, Truncate, Replace };
  struct Step {
    Action action;
    std::string text;
    LogFollower::Change change;
    std::vector<int> ids;  // all packets read so far
  };
  const Step steps[] = {
      {Append,
       packet(1) + "\r\n" + packet(2) + "\r\n" + packet(3),
       LogFollower::Change::None,
       {1, 2}},
      {Append, "\r", LogFollower::Change::None, {1, 2, 3}},  // a CR ends the line
      {Append,
       "\nC0 00 A0 86 58 30 41 42 43 2D 31 01\r\n" + packet(4) + "\n",
       LogFollower::Change::None,
       {1, 2, 3, 4}},  // the LF belonged to the CR: no empty line
      {Append, fifth.substr(0, 100), LogFollower::Change::None, {1, 2, 3, 4}},
      {Append, fifth.substr(100), LogFollower::Change::None, {1, 2, 3, 4, 5}},
      {Truncate, packet(6) + "\r\n", LogFollower::Change::Truncated, {1, 2, 3, 4, 5, 6}},
      // The old file's last line without its end still counts: nothing more will reach it.
      {Append, packet(7), LogFollower::Change::None, {1, 2, 3, 4, 5, 6}},
      {Replace, packet(8) + "\r\n", LogFollower::Change::Replaced, {1, 2, 3, 4, 5, 6, 7, 8}},
      {Append, packet(9) + "\r\n", LogFollower::Change::None, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
  };
  PacketStore store;
  StoreSink sink(store);
  LogFollower follower(path);
  EXPECT_EQ(follower.read(sink), LogFollower::Change::None);
  for (const Step& step : steps) {
    if (step.action == Append) std::ofstream(path, std::ios::app | std::ios::binary) << step.text;
    if (step.action == Truncate)
      std::ofstream(path, std::ios::trunc | std::ios::binary) << step.text;
    if (step.action == Replace) {
      dir.write("next.log", step.text);
      std::rename(dir.file("next.log").c_str(), path.c_str());
    }
    EXPECT_EQ(follower.read(sink), step.change) << step.ids.size();
    std::vector<int> ids;
    for (int p = 1; p <= store.Packet_Count; ++p) {
      ids.push_back(static_cast<int>(store.Packet_Bytes[std::size_t(p)][35] * 256 +
                                     store.Packet_Bytes[std::size_t(p)][36]));
    }
    EXPECT_EQ(ids, step.ids);
  }
}

TEST(LogFollower, AFullTableOrATooLongLineStopsAtItsLineAfterThePacketsBefore) {
  struct Case {
    std::string appended;
    int room;
    ErrorKind kind;
    std::uint64_t line;
    int stored;
  };
  const Case cases[] = {
      {packet(1) + "\r\n" + packet(2) + "\r\n", 1, ErrorKind::TableFull, 3, 1},
      {packet(1) + "\r\n" + test::telemetryLine({}, 160) + "\r\n", 10, ErrorKind::LineTooLong, 3,
       2},
  };
  for (const Case& c : cases) {
    const test::TempDir dir;
    const std::string path = dir.write("pass.log", "# station start\r\n");
    PacketStore store;
    store.Packet_Count = kMaxPackets - c.room;
    StoreSink sink(store);
    LogFollower follower(path);
    follower.read(sink);
    std::ofstream(path, std::ios::app | std::ios::binary) << c.appended;
    try {
      follower.read(sink);
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(e.kind(), c.kind);
      EXPECT_EQ(e.line(), c.line);
    }
    EXPECT_EQ(store.Packet_Count, kMaxPackets - c.room + c.stored);
  }
}

}  // namespace
}  // namespace twk
