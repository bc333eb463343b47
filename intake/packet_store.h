#pragma once

#include <array>
#include <vector>

namespace twk {

inline constexpr int kMaxPackets = 5000;    // packet rows 1..5000; row 0 is never written
inline constexpr int kBytePositions = 151;  // byte positions 0..150 of a packet

using PacketRow = std::array<double, kBytePositions>;

// The raw bytes of every packet of the current load. A new load overwrites rows from 1 on, each
// stored row whole (positions past a short line are 0), and readers use rows 1..Packet_Count.
struct PacketStore {
  std::vector<PacketRow> Packet_Bytes = std::vector<PacketRow>(kMaxPackets + 1, PacketRow{});
  int Packet_Count = 0;
};

}  // namespace twk
