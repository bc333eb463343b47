#include "intake/packet_store.h"

#include <algorithm>

namespace twk {
namespace {
constexpr std::size_t kLargestBlock = 1 << 16;
}

PacketStore::PacketStore(int capacity) {
  setCapacity(capacity);
}

void PacketStore::reset() {
  m_head = 0;
  m_firstNumber = 1;
  m_passStarts.clear();
  m_passPending = false;
}

void PacketStore::setCapacity(int packets) {
  packets = std::clamp(packets, kLeastPacketsHeld, kMostPacketsHeld);
  // The newest packets that fit are kept, moved to the front of fresh blocks.
  const int kept = std::min(m_count, packets);
  std::vector<PacketBytes> newest;
  newest.reserve(static_cast<std::size_t>(kept));
  for (int row = m_count - kept + 1; row <= m_count; ++row) {
    newest.push_back(bytes(row));
  }
  const std::int64_t first = m_count == 0 ? 1 : lastNumber() - kept + 1;
  std::deque<std::int64_t> passes = m_passStarts;
  const bool pending = m_passPending;

  m_blocks.clear();
  m_capacity = packets;
  m_blockSize = std::min(static_cast<std::size_t>(packets), kLargestBlock);
  m_blocks.resize((static_cast<std::size_t>(packets) + m_blockSize - 1) / m_blockSize);
  m_count = 0;
  reset();
  for (const PacketBytes& packet : newest) append(packet);
  if (kept > 0) m_firstNumber = first;
  while (!passes.empty() && passes.front() <= first) passes.pop_front();
  m_passStarts = std::move(passes);
  m_passPending = pending && kept > 0;
}

PacketBytes& PacketStore::append() {
  if (m_count == 0) reset();
  std::size_t at;
  if (m_count < m_capacity) {
    at = slotOf(m_count + 1);
    ++m_count;
  } else {
    // Full and dropping: the oldest slot becomes the newest.
    at = m_head;
    m_head = m_head + 1 == static_cast<std::size_t>(m_capacity) ? 0 : m_head + 1;
    ++m_firstNumber;
    if (!m_passStarts.empty() && m_passStarts.front() <= m_firstNumber) m_passStarts.pop_front();
  }
  if (m_passPending) {
    m_passStarts.push_back(lastNumber());
    m_passPending = false;
  }
  std::unique_ptr<PacketBytes[]>& block = m_blocks[at / m_blockSize];
  if (!block) block = std::make_unique<PacketBytes[]>(m_blockSize);
  return block[at % m_blockSize];
}

void PacketStore::keepFirst(int rows) {
  m_count = std::clamp(rows, 0, m_count);
  while (!m_passStarts.empty() && m_passStarts.back() > lastNumber()) m_passStarts.pop_back();
  m_passPending = false;
}

int PacketStore::rowOf(std::int64_t number) const {
  if (number < firstNumber() || number > lastNumber()) return 0;
  return static_cast<int>(number - firstNumber() + 1);
}

std::vector<int> PacketStore::passStartRows() const {
  std::vector<int> rows;
  for (const std::int64_t number : m_passStarts) {
    if (const int row = rowOf(number); row > 1) rows.push_back(row);
  }
  return rows;
}

std::size_t PacketStore::bytesHeld() const {
  std::size_t bytes = m_blocks.capacity() * sizeof(m_blocks[0]);
  for (const auto& block : m_blocks) {
    if (block) bytes += m_blockSize * sizeof(PacketBytes);
  }
  return bytes + m_passStarts.size() * sizeof(std::int64_t);
}

}  // namespace twk
