#include "frame_encoder.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "frame_text.h"

namespace twk {
namespace {

constexpr std::uint8_t kCallSign[7] = {0x58, 0x30, 0x54, 0x57, 0x4B, 0x2D, 0x31};  // X0TWK-1

long nearest(double x, long low, long high) {
  return std::clamp(std::lround(x), low, high);
}

// The inverse of each channel formula: from a physical value to the byte or word that the
// decoder turns back into it.
std::uint8_t byteFromVolts(double volts) {
  return static_cast<std::uint8_t>(nearest(volts * 1024 / 3.3, 0, 255));
}
std::uint8_t senseByte(double milliamps, double ohms) {
  return byteFromVolts(milliamps * 1e-3 * ohms);
}
std::uint8_t regulatorTempByte(double celsius) {
  return byteFromVolts((celsius + 273.15) * 2.67e-3);
}
std::uint8_t boardTempByte(double celsius) {
  return byteFromVolts((celsius + 273.15) / 1000);
}

// Signed words: -32767..32768, negative values stored as the word plus 65536.
std::uint16_t signedWord(double value) {
  const long s = nearest(value, -32767, 32768);
  return static_cast<std::uint16_t>(s < 0 ? s + 65536 : s);
}
std::uint16_t avgCurrentWord(double milliamps) {
  return signedWord(milliamps * 20 / 1.5625);
}
std::uint16_t instCurrentWord(double milliamps) {
  return signedWord(milliamps * 2 * 20 / 1.5625);
}
// Bits 0..14 carry the value times 32, the word's low five bits a fraction.
std::uint16_t batteryVoltsWord(double volts) {
  return static_cast<std::uint16_t>(nearest(volts * 1000 / 4.88 * 32, 0, 0x7FFF));
}
// Sign and magnitude: bit 15 is the sign, bits 0..14 the magnitude in 1/256 degree.
std::uint16_t batteryTempWord(double celsius) {
  const auto magnitude = static_cast<std::uint16_t>(nearest(std::abs(celsius) * 256, 0, 0x7FFF));
  return celsius < 0 && magnitude != 0 ? magnitude | 0x8000 : magnitude;
}
std::uint8_t rssiByte(double db) {
  const long r = nearest((db + 49.2) / (3.3 / 1024 * -51.3), 116, 371);
  return static_cast<std::uint8_t>(r & 0xFF);  // 256..371 travel as 0..115
}

void putWord(std::vector<std::uint8_t>& f, std::size_t at, std::uint16_t word) {
  f[at] = static_cast<std::uint8_t>(word >> 8);
  f[at + 1] = static_cast<std::uint8_t>(word & 0xFF);
}
void putLong(std::vector<std::uint8_t>& f, std::size_t at, std::uint32_t value) {
  putWord(f, at, static_cast<std::uint16_t>(value >> 16));
  putWord(f, at + 2, static_cast<std::uint16_t>(value & 0xFFFF));
}

std::uint16_t crc16(const std::uint8_t* data, std::size_t size) {
  std::uint16_t crc = 0xFFFF;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= static_cast<std::uint16_t>(data[i] << 8);
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
  }
  return crc;
}

}  // namespace

const std::vector<std::uint8_t>& FrameEncoder::encode(const TelemetrySample& s) {
  const std::size_t extra = 5 + m_random.below(26);
  const std::size_t size = kChannelBlockEnd + extra;
  std::vector<std::uint8_t>& f = m_frame;
  f.assign(size, 0);
  ++m_sequence;

  // The first four bytes never take an escaped value: an escape there would move the call sign
  // off its column and the line would not be recognised.
  f[0] = 0x8C;
  f[1] = 0x10;
  f[2] = static_cast<std::uint8_t>(m_sequence & 0x7F);
  f[3] = static_cast<std::uint8_t>(size);
  std::copy(std::begin(kCallSign), std::end(kCallSign), f.begin() + 4);
  f[11] = 0x03;
  putWord(f, 12, static_cast<std::uint16_t>(m_sequence & 0xFFFF));
  f[14] = 0x01;
  putWord(f, 15, s.bootCount);
  putLong(f, 17, s.onboardTicks);
  putLong(f, 21, s.uptimeSeconds);
  for (std::size_t i = 0; i < 3; ++i) putWord(f, 25 + 2 * i, signedWord(s.magneticFieldNt[i] / 2));
  putLong(f, 31, m_sequence * 3 + 7);

  for (std::size_t i = 0; i < 2; ++i) {
    const TelemetrySample::Battery& b = s.batteries[i];
    const std::size_t at = 35 + 10 * i;
    putWord(f, at, static_cast<std::uint16_t>(nearest(b.capacityMah, 0, 65535)));
    putWord(f, at + 2, avgCurrentWord(b.avgCurrentMa));
    putWord(f, at + 4, batteryTempWord(b.tempC));
    putWord(f, at + 6, batteryVoltsWord(b.volts));
    putWord(f, at + 8, instCurrentWord(b.instCurrentMa));
  }
  for (std::size_t i = 0; i < 6; ++i) f[55 + i] = senseByte(s.solarMa[i], 5.1);
  f[61] = senseByte(s.reg33Ma, 3.4);
  f[62] = senseByte(s.reg5Ma, 3.4);
  putWord(f, 63, signedWord(s.reg33Volts / (3.3 / 1024 * 1.67)));
  putWord(f, 65, signedWord(s.reg5Volts / (3.3 / 1024 * 2.5)));
  f[67] = regulatorTempByte(s.reg33TempC);
  f[68] = regulatorTempByte(s.reg5TempC);
  f[69] = boardTempByte(s.controllerTempC);
  f[70] = boardTempByte(s.amplifierTempC);
  f[71] = rssiByte(s.rssiDb);
  putWord(f, 72, s.fsPointer);
  putWord(f, 74, signedWord(s.failedPackets));
  putLong(f, 76, s.rxCount);
  f[80] = s.status;
  putWord(f, 81, signedWord(s.spinRateDegS * 1000));
  if (m_randomWords) {
    for (std::size_t i = 17; i < kChannelBlockEnd; ++i) {
      f[i] = static_cast<std::uint8_t>(m_random.next() >> 56);
    }
  }

  for (std::size_t i = kChannelBlockEnd; i + 2 < size; ++i) {
    f[i] = static_cast<std::uint8_t>(m_random.next() >> 56);
  }
  putWord(f, size - 2, crc16(f.data(), size - 2));

  assert(size <= kMaxFrameBytes);
  assert(!isEscapedByte(f[0]) && !isEscapedByte(f[1]) && !isEscapedByte(f[2]) &&
         !isEscapedByte(f[3]));
  return f;
}

}  // namespace twk
