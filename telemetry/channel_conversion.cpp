#include "telemetry/channel_conversion.h"

#include <cstdint>

#include <algorithm>

#include "telemetry/channel_inputs.h"

namespace twk {
namespace {

// Each formula is evaluated left to right as the channel table writes it, in double precision,
// so that every build gives the same values to the last bit.
template <typename Bytes>
struct Packet {
  const Bytes& b;

  double B(int k) const { return b[static_cast<std::size_t>(k)]; }
  // Unsigned big-endian word.
  double W(int k) const { return B(k) * 256 + B(k + 1); }
  // Signed word: only a word strictly above 32768 is negative, so 0x8000 reads +32768.
  double S(int k) const {
    const double w = W(k);
    return w > 32768 ? w - 65536 : w;
  }
  // Bits 0..14 of the word, divided (not shifted) by 32.
  double L(int k) const {
    return static_cast<double>(static_cast<std::int64_t>(W(k)) & 0x7FFF) / 32;
  }
  // Unsigned big-endian 32-bit value.
  double D(int k) const { return B(k) * 16777216 + B(k + 1) * 65536 + B(k + 2) * 256 + B(k + 3); }
  // The byte as volts.
  double A(int k) const { return B(k) * 3.3 / 1024; }
  // Sign and magnitude: bit 15 makes the temperature negative.
  double batteryTemp(int k) const { return W(k) <= 32768 ? L(k) * 0.125 : L(k) * -0.125; }
  // A current through a sense resistor: the volts divided by (10^-3 x the constant).
  double current(int k, double ohms) const { return A(k) / (1e-3 * ohms); }
  double rssi(int k) const {
    const double r = B(k) < 116 ? B(k) + 256 : B(k);
    return r * 3.3 / 1024 * -51.3 - 49.2;
  }
};

template <typename Bytes>
void convertBytes(const Bytes& bytes, ChannelRow& v) {
  const Packet<Bytes> p{bytes};
  v[0] = p.D(17);
  v[1] = p.W(35);
  v[2] = p.S(37) * 1.5625 / 20;
  v[3] = p.batteryTemp(39);
  v[4] = p.L(41) * 4.88 / 1000;
  v[5] = (p.S(43) / 2) * 1.5625 / 20;
  v[6] = p.W(45);
  v[7] = p.S(47) * 1.5625 / 20;
  v[8] = p.batteryTemp(49);
  v[9] = p.L(51) * 4.88 / 1000;
  v[10] = (p.S(53) / 2) * 1.5625 / 20;
  for (int ch = 11; ch <= 16; ++ch) v[static_cast<std::size_t>(ch)] = p.current(ch + 44, 5.1);
  v[17] = p.current(61, 3.4);
  v[18] = p.current(62, 3.4);
  v[19] = p.S(63) * 3.3 / 1024 * 1.67;
  v[20] = p.S(65) * 3.3 / 1024 * 2.5;
  v[21] = p.current(67, 2.67) - 273.15;
  v[22] = p.current(68, 2.67) - 273.15;
  v[23] = p.A(69) * 1000 - 273.15;
  v[24] = p.A(70) * 1000 - 273.15;
  v[25] = p.rssi(71);
  v[26] = p.W(72);
  v[27] = p.S(74);
  v[28] = p.D(76);
  v[29] = p.B(80);
  v[30] = p.S(81);
}

}  // namespace

void convertPacket(const PacketRow& bytes, ChannelRow& values) {
  convertBytes(bytes, values);
}

void convertPacket(const PacketBytes& bytes, ChannelRow& values) {
  convertBytes(bytes, values);
}

void channelOverPackets(const PacketStore& store, int channel, int first,
                        std::vector<double>& out) {
  const ChannelInput& input = channelInputs().at(static_cast<std::size_t>(channel));
  const auto at = static_cast<std::size_t>(input.position);
  out.clear();
  out.reserve(static_cast<std::size_t>(std::max(store.Packet_Count - first + 1, 0)));
  // A byte channel takes its values from a table of the 256; words and counts are computed.
  std::array<double, 256> byteValues{};
  if (input.source == ChannelSource::Byte) {
    for (std::uint32_t raw = 0; raw < 256; ++raw) byteValues[raw] = channelValue(channel, raw);
  }
  for (int row = first; row <= store.Packet_Count; ++row) {
    const PacketBytes& b = store.Packet_Bytes(row);
    switch (input.source) {
      case ChannelSource::Byte: out.push_back(byteValues[b[at]]); break;
      case ChannelSource::Word:
        out.push_back(channelValue(channel, std::uint32_t{b[at]} << 8 | b[at + 1]));
        break;
      case ChannelSource::Long:
        out.push_back(channelValue(channel, std::uint32_t{b[at]} << 24 |
                                                std::uint32_t{b[at + 1]} << 16 |
                                                std::uint32_t{b[at + 2]} << 8 | b[at + 3]));
        break;
    }
  }
}

}  // namespace twk
