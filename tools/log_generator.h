#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frame_encoder.h"
#include "orbit_model.h"
#include "station_chatter.h"
#include "xoshiro256.h"

namespace twk {

// Writes a receiving station's log: beacons of the spacecraft every half minute or so, with
// missed beacons, pass events and other senders' lines in between.
class LogGenerator {
 public:
  // othersPerBeacon is the mean number of other lines before each beacon; randomWords fills the
  // beacons' positions 17 to 82 with random bytes.
  LogGenerator(std::uint64_t seed, double othersPerBeacon, bool randomWords = false);

  // Appends the log's opening comment lines.
  void appendHeader(std::string& out);
  // Appends the lines up to and including the next beacon.
  void appendBeacon(std::string& out);

 private:
  // Separate streams, so that the amount of chatter does not change the telemetry of a seed.
  Xoshiro256 m_spacecraftRandom;
  Xoshiro256 m_groundRandom;
  OrbitModel m_model;
  FrameEncoder m_encoder;
  StationChatter m_chatter;
  double m_othersPerBeacon;
  bool m_inPass = false;
  double m_passPeakDeg = 0;
  std::vector<std::uint8_t> m_lastBeacon;
};

}  // namespace twk
