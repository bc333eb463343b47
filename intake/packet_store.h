#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "intake/channel_bytes.h"

namespace twk {

inline constexpr int kBytePositions = 151;  // byte positions 0..150 of a packet as a line holds it

// Positions 0..82 of a packet as bytes: every byte a channel reads (the later positions feed none).
using PacketBytes = std::array<std::uint8_t, kChannelBytePositions>;

// How many packets the window holds: the table's size unless the user chooses another.
inline constexpr int kDefaultPacketsHeld = 5000;
inline constexpr int kLeastPacketsHeld = 100;
inline constexpr int kMostPacketsHeld = 10'000'000;

// The packets of the current load, held as bytes. Rows 1..count() are held, oldest first;
// each packet keeps its number since the start of the load, which stays when older packets
// leave. A load stops at the capacity; a followed log goes on past it, the oldest packet
// leaving for each new one (a ring), so memory stays at the capacity's.
class PacketStore {
 public:
  enum class WhenFull {
    Refuse,      // a load: hasRoom() turns false
    DropOldest,  // a followed log: the oldest packet leaves
  };

  explicit PacketStore(int capacity = kDefaultPacketsHeld);

  // The packets held.
  int count() const { return m_count; }
  // Empties the store for a new load: the next packet is number 1 again.
  void clear() { m_count = 0; }

  int capacity() const { return m_capacity; }
  // Holds at most packets from now on (clamped to the allowed range), keeping the newest.
  void setCapacity(int packets);
  WhenFull whenFull() const { return m_whenFull; }
  void setWhenFull(WhenFull whenFull) { m_whenFull = whenFull; }
  bool hasRoom() const { return m_count < m_capacity || m_whenFull == WhenFull::DropOldest; }

  // Adds a packet after the newest and returns its bytes to fill; when the store is full and
  // drops, the oldest leaves first. Callers check hasRoom() before.
  PacketBytes& append();
  void append(const PacketBytes& bytes) { append() = bytes; }

  // The bytes of row 1..count().
  const PacketBytes& bytes(int row) const { return slot(slotOf(row)); }
  // A packet's number since the start of the load, for row 1..count().
  std::int64_t numberOf(int row) const { return firstNumber() + row - 1; }
  std::int64_t firstNumber() const { return m_count == 0 ? 1 : m_firstNumber; }
  // The number of the newest packet, 0 when empty: how many the load has read in all.
  std::int64_t lastNumber() const { return m_count == 0 ? 0 : m_firstNumber + m_count - 1; }
  // The row of packet number, 0 when it is not held.
  int rowOf(std::int64_t number) const;

  // Keeps rows 1..rows only, the newer packets dropped.
  void keepFirst(int rows);

  // The next packet appended is the first of a new pass (a followed log emptied or replaced).
  void markPassStart() { m_passPending = m_count > 0; }
  // The rows held whose packet is the first of a new pass, in order.
  std::vector<int> passStartRows() const;

  // The memory the packets take, in bytes.
  std::size_t bytesHeld() const;

 private:
  std::size_t slotOf(int row) const {
    const std::size_t slot = m_head + static_cast<std::size_t>(row - 1);
    return slot < static_cast<std::size_t>(m_capacity)
               ? slot
               : slot - static_cast<std::size_t>(m_capacity);
  }
  PacketBytes& slot(std::size_t slot) const {
    return m_blocks[slot / m_blockSize][slot % m_blockSize];
  }
  void reset();

  // The ring's slots lie in blocks allocated as they are first used, so a large capacity takes
  // memory only for the packets held and growing never copies them.
  std::vector<std::unique_ptr<PacketBytes[]>> m_blocks;
  int m_count = 0;
  std::size_t m_blockSize = 1;
  int m_capacity = kDefaultPacketsHeld;
  WhenFull m_whenFull = WhenFull::Refuse;
  std::size_t m_head = 0;  // the slot of row 1
  std::int64_t m_firstNumber = 1;
  std::deque<std::int64_t> m_passStarts;  // numbers of the packets that start a pass, ascending
  bool m_passPending = false;
};

}  // namespace twk
