#include "telemetry/channel_conversion.h"

#include <cstdint>

#include "core/error.h"

namespace twk {
namespace {

// Each formula is evaluated left to right as the channel table writes it, in double precision,
// so that every build gives the same values to the last bit.
struct Packet {
  const PacketRow& b;

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

}  // namespace

void convertPacket(const PacketRow& bytes, ChannelRow& v) {
  const Packet p{bytes};
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

void convertPackets(const PacketStore& store, ChannelStore& values) {
  for (int p = 1; p <= store.Packet_Count; ++p) {
    const auto row = static_cast<std::size_t>(p);
    convertPacket(store.Packet_Bytes[row], values.Channel_Values[row]);
  }
}

void decodeLogIntoStore(const std::string& path, StoreSink& sink, const PacketStore& store,
                        ChannelStore& values) {
  try {
    decodeLog(path, sink);
  } catch (const Error&) {
    convertPackets(store, values);
    throw;
  }
  convertPackets(store, values);
}

}  // namespace twk
