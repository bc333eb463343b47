#pragma once

#include <array>
#include <cstdint>

#include "telemetry_sample.h"
#include "xoshiro256.h"

namespace twk {

// A coarse model of the spacecraft over many orbits: sunlight and eclipse, a slow tumble that
// moves the sun across the six solar panels, two batteries, the regulators, temperatures that
// lag the sun, passes over the receiving station and the counters that telemetry carries. It is
// no flight simulation; it only keeps the values and their relations plausible.
class OrbitModel {
 public:
  explicit OrbitModel(Xoshiro256& random);

  // Moves on by dt seconds and returns the state at the new time.
  const TelemetrySample& advance(double dt);

 private:
  struct Pass {
    bool active = false;
    double progress = 0;  // 0 at acquisition, 1 at loss of signal
    double peakElevationDeg = 0;
  };

  double orbitPhase(double t) const;
  double sunFactor(double t) const;
  Pass passAt(double t) const;
  std::array<double, 3> sunInBody(double t) const;
  std::array<double, 3> rotateToBody(const std::array<double, 3>& v, double t) const;
  std::array<double, 6> solarCurrents(double t);
  void step(double dt);
  void fillSample();

  Xoshiro256& m_random;
  TelemetrySample m_sample;

  double m_t = 0;
  double m_period;
  double m_phase0;
  double m_stationLongitude;
  double m_nodeLongitude0;
  std::array<double, 3> m_sunInertial;
  std::array<double, 6> m_panelMaxMa;
  double m_tumbleRate;      // rad/s about the tumble axis
  double m_precessionRate;  // rad/s of the tumble axis about body z
  double m_precessionPhase;
  double m_tumbleCone;

  double m_onboardStart;
  double m_clockDrift;
  double m_bootSeconds;

  std::array<double, 2> m_capacityMah;
  std::array<double, 2> m_capacityMaxMah;
  std::array<double, 2> m_avgCurrentMa{};
  std::array<double, 2> m_trueCurrentMa{};
  std::array<double, 2> m_batteryTempC;
  double m_reg33TempC;
  double m_reg5TempC;
  double m_controllerTempC;
  double m_amplifierTempC;
  double m_reg33Ma = 0;
  double m_reg5Ma = 0;
  bool m_transmitting = false;

  std::uint16_t m_fsPointer;
  std::uint32_t m_rxCount;
  std::int32_t m_failedPackets;
};

}  // namespace twk
