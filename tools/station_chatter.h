#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "xoshiro256.h"

namespace twk {

// The lines a station log holds besides the spacecraft's beacons: frames of other call signs
// at the same column, the station's own comment, clock and counter lines, blank lines, and the
// beacon repeated by loggers that write it in another shape (a clock prefix, lower-case hex, a
// relay header with an escaped byte). The decoder must skip every one of them.
class StationChatter {
 public:
  StationChatter(Xoshiro256& random, std::int64_t startUnixSeconds);

  // One line with its CR LF; lastBeacon is the frame of the latest beacon, empty before the
  // first.
  void appendLine(double seconds, std::span<const std::uint8_t> lastBeacon, std::string& out);
  void appendHeader(std::string& out);
  void appendPassEvent(double seconds, bool acquired, double peakElevationDeg, std::string& out);

 private:
  void appendOtherFrame(std::string& out);
  // "2026-03-14 06:12:44" for the ground time seconds after the log's start.
  std::string clockText(double seconds, bool withDate) const;

  Xoshiro256& m_random;
  std::int64_t m_start;
  std::uint32_t m_framesHeard = 0;
  std::uint32_t m_crcErrors = 0;
};

}  // namespace twk
