#include "orbit_model.h"

#include <algorithm>
#include <cmath>

namespace twk {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTicksPerSecond = 384;
// Ground-track shift per orbit for a 95-minute orbit: 360 degrees x 95 / 1436.
constexpr double kTrackShiftDeg = 23.83;
// Half the width, in node longitude, of the band of orbits that the station sees.
constexpr double kVisibleBandDeg = 30;
constexpr double kPenumbraSeconds = 25;
// A small step keeps the first-order thermal and battery updates stable.
constexpr double kMaxStep = 10;

double wrap180(double deg) {
  double d = std::fmod(deg, 360.0);
  if (d > 180) d -= 360;
  if (d < -180) d += 360;
  return d;
}

std::array<double, 3> unitVector(Xoshiro256& random) {
  const double z = random.uniform(-1, 1);
  const double a = random.uniform(0, 2 * kPi);
  const double r = std::sqrt(1 - z * z);
  return {r * std::cos(a), r * std::sin(a), z};
}

// Rodrigues' rotation of v by angle about the unit axis k.
std::array<double, 3> rotate(const std::array<double, 3>& v, const std::array<double, 3>& k,
                             double angle) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  const double dot = k[0] * v[0] + k[1] * v[1] + k[2] * v[2];
  const std::array<double, 3> cross = {k[1] * v[2] - k[2] * v[1], k[2] * v[0] - k[0] * v[2],
                                       k[0] * v[1] - k[1] * v[0]};
  std::array<double, 3> out{};
  for (std::size_t i = 0; i < 3; ++i) out[i] = v[i] * c + cross[i] * s + k[i] * dot * (1 - c);
  return out;
}

// First-order lag towards a target with time constant tau.
void relax(double& value, double target, double dt, double tau) {
  value += (target - value) * std::min(1.0, dt / tau);
}

}  // namespace

OrbitModel::OrbitModel(Xoshiro256& random) : m_random(random) {
  m_period = 5700 + random.uniform(-25, 25);
  m_phase0 = random.uniform(0, m_period);
  m_stationLongitude = random.uniform(-180, 180);
  m_nodeLongitude0 = random.uniform(-180, 180);
  m_sunInertial = unitVector(random);
  for (double& max : m_panelMaxMa) max = random.uniform(136, 152);
  m_tumbleRate = 2 * kPi / random.uniform(300, 900);
  m_precessionRate = 2 * kPi / random.uniform(7200, 14400);
  m_precessionPhase = random.uniform(0, 2 * kPi);
  m_tumbleCone = random.uniform(0.9, 1.4);

  m_onboardStart = random.uniform(25, 60) * 86400;
  m_clockDrift = random.uniform(-20e-6, 20e-6);
  m_bootSeconds = m_onboardStart - random.uniform(2, 20) * 86400;
  m_sample.bootCount = static_cast<std::uint16_t>(3 + random.below(40));

  m_capacityMaxMah = {2150, 2080};
  for (std::size_t i = 0; i < 2; ++i)
    m_capacityMah[i] = m_capacityMaxMah[i] * random.uniform(0.55, 0.8);
  m_batteryTempC = {random.uniform(2, 10), random.uniform(0, 8)};
  m_reg33TempC = random.uniform(14, 20);
  m_reg5TempC = m_reg33TempC - 1;
  m_controllerTempC = random.uniform(16, 22);
  m_amplifierTempC = random.uniform(10, 16);

  m_fsPointer = static_cast<std::uint16_t>(random.below(65536));
  // Starts just below 0x0003F800 so that the third byte soon takes the escaped values.
  m_rxCount = 0x0003F700u + random.below(0x100);
  m_failedPackets = 150 + static_cast<std::int32_t>(random.below(100));
}

double OrbitModel::orbitPhase(double t) const {
  return std::fmod(t + m_phase0, m_period) / m_period;
}

// 1 in full sunlight, 0 in eclipse, with short linear ramps through the penumbra. The eclipse
// share drifts slowly with the season around 35 of 95 minutes.
double OrbitModel::sunFactor(double t) const {
  const double eclipseShare = 35.0 / 95.0 + 0.012 * std::sin(2 * kPi * t / (12 * 86400));
  const double x = orbitPhase(t) * m_period;
  const double sunlit = (1 - eclipseShare) * m_period;
  if (x < kPenumbraSeconds) return x / kPenumbraSeconds;
  if (x < sunlit - kPenumbraSeconds) return 1;
  if (x < sunlit) return (sunlit - x) / kPenumbraSeconds;
  return 0;
}

// The station sees an orbit when its ascending or descending track passes within a band of
// longitudes; the nearer the track, the longer and higher the pass.
OrbitModel::Pass OrbitModel::passAt(double t) const {
  const double orbit = std::floor((t + m_phase0) / m_period);
  const double phase = orbitPhase(t);
  const double node = m_nodeLongitude0 - kTrackShiftDeg * orbit;
  const struct {
    double centrePhase;
    double offsetDeg;
  } tracks[] = {{0.22, wrap180(node - m_stationLongitude)},
                {0.71, wrap180(node + 157 - m_stationLongitude)}};
  for (const auto& track : tracks) {
    const double nearness = 1 - std::abs(track.offsetDeg) / kVisibleBandDeg;
    if (nearness <= 0) continue;
    const double duration = 840 * std::sqrt(1 - (1 - nearness) * (1 - nearness));
    const double fromCentre = (phase - track.centrePhase) * m_period;
    if (std::abs(fromCentre) < duration / 2) {
      return {true, fromCentre / duration + 0.5, 5 + 83 * nearness * nearness};
    }
  }
  return {};
}

std::array<double, 3> OrbitModel::rotateToBody(const std::array<double, 3>& v, double t) const {
  const double precession = m_precessionPhase + m_precessionRate * t;
  const std::array<double, 3> axis = {std::sin(m_tumbleCone) * std::cos(precession),
                                      std::sin(m_tumbleCone) * std::sin(precession),
                                      std::cos(m_tumbleCone)};
  return rotate(v, axis, -m_tumbleRate * t);
}

std::array<double, 3> OrbitModel::sunInBody(double t) const {
  return rotateToBody(m_sunInertial, t);
}

// Each panel gives its best current facing the sun and falls off with the cosine of the angle.
std::array<double, 6> OrbitModel::solarCurrents(double t) {
  const double sun = sunFactor(t);
  const std::array<double, 3> s = sunInBody(t);
  const double projections[6] = {s[0], -s[0], -s[1], s[1], -s[2], s[2]};
  std::array<double, 6> currents{};
  for (std::size_t i = 0; i < 6; ++i) {
    const double lit = sun * std::max(0.0, projections[i]) * m_panelMaxMa[i];
    currents[i] = std::max(0.0, lit + 0.5 * m_random.noise());
  }
  return currents;
}

void OrbitModel::step(double dt) {
  m_t += dt;
  const double sun = sunFactor(m_t);
  const Pass pass = passAt(m_t);
  m_transmitting = pass.active && pass.progress > 0.03 && pass.progress < 0.97;

  m_reg33Ma = 91 + (m_transmitting ? 17 : 0) + (sun < 0.5 ? 4 : 0) + 1.5 * m_random.noise();
  m_reg5Ma = 27 + (m_transmitting ? 138 : 0) + 1.5 * m_random.noise();

  // Power balance on the battery bus: the arrays through their converter against the loads.
  double solarMa = 0;
  for (const double current : solarCurrents(m_t)) solarMa += current;
  const double solarMw = solarMa * 8.2 * 0.9;
  const double loadMw = (3.3 * m_reg33Ma + 5.0 * m_reg5Ma) / 0.82 + 180;
  const double meanVolts = 3.9;
  const double netMa = (solarMw - loadMw) / meanVolts;
  const double shares[2] = {0.52, 0.48};
  for (std::size_t i = 0; i < 2; ++i) {
    double current = netMa * shares[i];
    const double soc = m_capacityMah[i] / m_capacityMaxMah[i];
    // Near full the charger tapers the current and shunts the rest.
    if (current > 0 && soc > 0.96) current *= std::max(0.02, (1 - soc) / 0.04);
    m_trueCurrentMa[i] = current;
    m_capacityMah[i] = std::clamp(m_capacityMah[i] + current * dt / 3600, 0.0, m_capacityMaxMah[i]);
    relax(m_avgCurrentMa[i], current, dt, 60);
  }

  const double batteryTargets[2] = {sun > 0 ? 15 + 8 * sun : -9, sun > 0 ? 12 + 7 * sun : -12};
  const double batteryTau[2] = {1500, 1750};
  for (std::size_t i = 0; i < 2; ++i) {
    relax(m_batteryTempC[i], batteryTargets[i] + 0.01 * std::abs(m_trueCurrentMa[i]), dt,
          batteryTau[i]);
  }
  relax(m_reg33TempC, (sun > 0 ? 24 : 11) + 0.03 * (m_reg33Ma - 90), dt, 900);
  relax(m_reg5TempC, (sun > 0 ? 22 : 9) + (m_transmitting ? 7 : 0), dt, 900);
  relax(m_controllerTempC, sun > 0 ? 27 : 14, dt, 1200);
  relax(m_amplifierTempC, (sun > 0 ? 21 : 7) + (m_transmitting ? 24 : 0), dt, 300);
}

const TelemetrySample& OrbitModel::advance(double dt) {
  while (dt > 0) {
    const double part = std::min(dt, kMaxStep);
    step(part);
    dt -= part;
  }
  fillSample();
  return m_sample;
}

void OrbitModel::fillSample() {
  TelemetrySample& s = m_sample;
  Xoshiro256& r = m_random;
  const Pass pass = passAt(m_t);
  const double sun = sunFactor(m_t);
  s.seconds = m_t;
  s.sunlit = sun > 0;
  s.inPass = pass.active;
  s.passElevationDeg = pass.peakElevationDeg;

  const double onboard = m_onboardStart + m_t * (1 + m_clockDrift);
  // A 32-bit tick counter: a very long log wraps it, as the real counter would.
  s.onboardTicks = static_cast<std::uint32_t>(
      static_cast<std::uint64_t>(std::llround(onboard * kTicksPerSecond)) & 0xFFFFFFFFu);
  s.uptimeSeconds = static_cast<std::uint32_t>(onboard - m_bootSeconds);

  for (std::size_t i = 0; i < 2; ++i) {
    TelemetrySample::Battery& b = s.batteries[i];
    const double soc = m_capacityMah[i] / m_capacityMaxMah[i];
    b.capacityMah = m_capacityMah[i];
    b.avgCurrentMa = m_avgCurrentMa[i] + 0.3 * r.noise();
    b.instCurrentMa = m_trueCurrentMa[i] + 4 * r.noise();
    b.tempC = m_batteryTempC[i] + 0.05 * r.noise();
    b.volts = std::clamp(
        3.6 + 0.42 * soc + b.instCurrentMa * 0.00015 + 0.002 * (b.tempC - 15) + 0.003 * r.noise(),
        3.55, 4.15);
  }
  s.solarMa = solarCurrents(m_t);
  s.reg33Ma = m_reg33Ma;
  s.reg5Ma = m_reg5Ma;
  s.reg33Volts = 3.30 - 0.0004 * (m_reg33Ma - 91) + 0.006 * r.noise();
  s.reg5Volts = 5.02 - 0.0002 * (m_reg5Ma - 27) + 0.008 * r.noise();
  s.reg33TempC = m_reg33TempC + 0.3 * r.noise();
  s.reg5TempC = m_reg5TempC + 0.3 * r.noise();
  s.controllerTempC = m_controllerTempC + 0.5 * r.noise();
  s.amplifierTempC = m_amplifierTempC + 0.5 * r.noise();

  // The receiver hears the station's uplink strongly near the top of a pass and only noise
  // otherwise.
  if (pass.active) {
    const double elevation = pass.peakElevationDeg * std::sin(kPi * pass.progress);
    s.rssiDb = -105 + 36 * std::sqrt(elevation / 90) + 1.5 * r.noise();
  } else {
    s.rssiDb = -107.5 + 1.2 * r.noise();
  }

  // Records go into the file system at a steady pace; commands arrive during passes.
  m_fsPointer = static_cast<std::uint16_t>(m_fsPointer + 24 + r.below(40));
  m_rxCount += pass.active ? 3 + r.below(14) : (r.chance(0.12) ? 1 : 0);
  if (r.chance(pass.active ? 0.2 : 0.015)) ++m_failedPackets;
  s.fsPointer = m_fsPointer;
  s.rxCount = m_rxCount;
  s.failedPackets = m_failedPackets;

  // Mode nibble F (nominal), then charging, battery heater, transmitter and eclipse flags.
  const bool charging = m_avgCurrentMa[0] + m_avgCurrentMa[1] > 5;
  const bool heater = std::min(m_batteryTempC[0], m_batteryTempC[1]) < 0;
  s.status = static_cast<std::uint8_t>(0xF0 | (charging ? 0x08 : 0) | (heater ? 0x04 : 0) |
                                       (m_transmitting ? 0x02 : 0) | (sun > 0 ? 0 : 0x01));

  const double precession = m_precessionPhase + m_precessionRate * m_t;
  const double rateDegS = m_tumbleRate * 180 / kPi;
  s.spinRateDegS = rateDegS * std::sin(m_tumbleCone) * std::cos(precession) + 0.01 * r.noise();

  // A tilted dipole seen along the orbit, turned into the tumbling body frame.
  const double phase = 2 * kPi * orbitPhase(m_t);
  const std::array<double, 3> field = {18000 * std::cos(phase), 6000 * std::sin(3 * phase),
                                       -42000 * std::sin(phase)};
  const std::array<double, 3> body = rotateToBody(field, m_t);
  for (std::size_t i = 0; i < 3; ++i) s.magneticFieldNt[i] = body[i] + 60 * r.noise();
}

}  // namespace twk
