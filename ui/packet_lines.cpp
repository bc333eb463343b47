#include "ui/packet_lines.h"

#include <algorithm>

namespace twk {

void PacketLines::restart(std::int64_t firstNumber) {
  m_baseLine = 0;
  m_firstNumber = firstNumber;
  m_packetLines = 0;
  m_others.clear();
}

std::int64_t PacketLines::lineOf(std::int64_t number) const {
  const std::int64_t k = number - m_firstNumber;
  if (k < 0 || k >= m_packetLines) return -1;
  // The other lines added before packet line k: those with at most k packet lines before them.
  const auto before = std::upper_bound(m_others.begin(), m_others.end(), k) - m_others.begin();
  return m_baseLine + k + before;
}

void PacketLines::continueAt(std::int64_t number) {
  if (number == m_firstNumber + m_packetLines) return;
  m_baseLine = lines();
  m_firstNumber = number;
  m_packetLines = 0;
  m_others.clear();
}

}  // namespace twk
