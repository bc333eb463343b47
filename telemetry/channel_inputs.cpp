#include "telemetry/channel_inputs.h"

namespace twk {

const std::array<ChannelInput, kChannelCount>& channelInputs() {
  using enum ChannelSource;
  static constexpr std::array<ChannelInput, kChannelCount> kInputs{{
      {Long, 17, 0},  {Word, 35, 1},  {Word, 37, 2},  {Word, 39, 3},  {Word, 41, 4},
      {Word, 43, 5},  {Word, 45, 1},  {Word, 47, 2},  {Word, 49, 3},  {Word, 51, 4},
      {Word, 53, 5},  {Byte, 55, 11}, {Byte, 56, 11}, {Byte, 57, 11}, {Byte, 58, 11},
      {Byte, 59, 11}, {Byte, 60, 11}, {Byte, 61, 17}, {Byte, 62, 17}, {Word, 63, 19},
      {Word, 65, 20}, {Byte, 67, 21}, {Byte, 68, 21}, {Byte, 69, 23}, {Byte, 70, 23},
      {Byte, 71, 25}, {Word, 72, 1},  {Word, 74, 27}, {Long, 76, 0},  {Byte, 80, 29},
      {Word, 81, 27},
  }};
  return kInputs;
}

namespace {

// Each formula is evaluated left to right as the channel table writes it, in double precision,
// so that every build gives the same values to the last bit.
double signedWord(std::uint32_t w) {
  return w > 32768 ? static_cast<double>(w) - 65536 : static_cast<double>(w);
}
double magnitude(std::uint32_t w) {
  return static_cast<double>(w & 0x7FFF) / 32;
}
double volts(std::uint32_t b) {
  return static_cast<double>(b) * 3.3 / 1024;
}
double batteryTemp(std::uint32_t w) {
  return w <= 32768 ? magnitude(w) * 0.125 : magnitude(w) * -0.125;
}
double current(std::uint32_t b, double ohms) {
  return volts(b) / (1e-3 * ohms);
}
double rssi(std::uint32_t b) {
  const double r = b < 116 ? static_cast<double>(b) + 256 : static_cast<double>(b);
  return r * 3.3 / 1024 * -51.3 - 49.2;
}

}  // namespace

double channelValue(int channel, std::uint32_t raw) {
  switch (channelInputs()[static_cast<std::size_t>(channel)].formula) {
    case 2: return signedWord(raw) * 1.5625 / 20;
    case 3: return batteryTemp(raw);
    case 4: return magnitude(raw) * 4.88 / 1000;
    case 5: return (signedWord(raw) / 2) * 1.5625 / 20;
    case 11: return current(raw, 5.1);
    case 17: return current(raw, 3.4);
    case 19: return signedWord(raw) * 3.3 / 1024 * 1.67;
    case 20: return signedWord(raw) * 3.3 / 1024 * 2.5;
    case 21: return current(raw, 2.67) - 273.15;
    case 23: return volts(raw) * 1000 - 273.15;
    case 25: return rssi(raw);
    case 27: return signedWord(raw);
    default: return static_cast<double>(raw);  // counts, unsigned words, the status byte
  }
}

}  // namespace twk
