#pragma once

#include <array>
#include <cstdint>

namespace twk {

// The spacecraft's state at one beacon, in physical units, before it is packed into bytes.
struct TelemetrySample {
  struct Battery {
    double capacityMah = 0;
    double avgCurrentMa = 0;  // positive while charging
    double tempC = 0;
    double volts = 0;
    double instCurrentMa = 0;
  };

  double seconds = 0;              // since the log started, on the ground clock
  std::uint32_t onboardTicks = 0;  // on-board time in 1/384 s
  std::uint32_t uptimeSeconds = 0;
  std::uint16_t bootCount = 0;

  std::array<Battery, 2> batteries{};
  std::array<double, 6> solarMa{};  // +X, -X, -Y, +Y, -Z, +Z
  double reg33Ma = 0;
  double reg5Ma = 0;
  double reg33Volts = 0;
  double reg5Volts = 0;
  double reg33TempC = 0;
  double reg5TempC = 0;
  double controllerTempC = 0;
  double amplifierTempC = 0;
  double rssiDb = 0;

  std::uint16_t fsPointer = 0;
  std::int32_t failedPackets = 0;
  std::uint32_t rxCount = 0;
  std::uint8_t status = 0;
  double spinRateDegS = 0;  // the gyro word that the window does not show
  std::array<double, 3> magneticFieldNt{};

  bool sunlit = false;
  bool inPass = false;
  double passElevationDeg = 0;  // peak elevation of the current pass
};

}  // namespace twk
