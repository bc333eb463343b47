#include "log_generator.h"

#include "frame_text.h"

namespace twk {
namespace {

constexpr double kBeaconInterval = 30;
// 2026-03-02 00:00:00 UTC; the seed adds up to a few weeks.
constexpr std::int64_t kFirstDay = 1772409600;

}  // namespace

LogGenerator::LogGenerator(std::uint64_t seed, double othersPerBeacon, bool randomWords)
    : m_spacecraftRandom(seed),
      m_groundRandom(seed ^ 0x5DEECE66DULL),
      m_model(m_spacecraftRandom),
      m_encoder(m_spacecraftRandom, randomWords),
      m_chatter(m_groundRandom,
                kFirstDay + static_cast<std::int64_t>(m_groundRandom.below(21 * 86400))),
      m_othersPerBeacon(othersPerBeacon) {}

void LogGenerator::appendHeader(std::string& out) {
  m_chatter.appendHeader(out);
}

void LogGenerator::appendBeacon(std::string& out) {
  Xoshiro256& r = m_spacecraftRandom;
  double dt = kBeaconInterval + r.uniform(-0.5, 0.5);
  // Now and then beacons are lost to fading or interference.
  if (r.chance(0.08)) dt += kBeaconInterval * (1 + r.below(4));
  const TelemetrySample& sample = m_model.advance(dt);

  if (sample.inPass != m_inPass) {
    if (sample.inPass) m_passPeakDeg = sample.passElevationDeg;
    m_chatter.appendPassEvent(sample.seconds - dt / 2, sample.inPass, m_passPeakDeg, out);
    m_inPass = sample.inPass;
  }
  // A geometric count of other lines with the requested mean.
  const double p = m_othersPerBeacon / (1 + m_othersPerBeacon);
  while (m_groundRandom.chance(p)) m_chatter.appendLine(sample.seconds, m_lastBeacon, out);

  const std::vector<std::uint8_t>& frame = m_encoder.encode(sample);
  appendFrameText(frame, out);
  out += "\r\n";
  m_lastBeacon = frame;
}

}  // namespace twk
