#pragma once

#include <cstdint>
#include <vector>

namespace twk {

// Which line of the log view holds a packet's line. The view holds the lines of the last file
// read, in order: a line per packet from the file's first packet on, and between them a line
// for each line that never became a packet (one that could not be stored). It is kept as the
// number of the first packet and the places of the other lines, so a packet added costs nothing
// however many the view holds, and a look-up one binary search over the other lines.
class PacketLines {
 public:
  // The view was emptied for a file whose first packet has number firstNumber.
  void restart(std::int64_t firstNumber);
  // The next line added is packet number's: where packets came between without a line (more
  // than a view shows came at once), the lines before it hold no packet one can look up.
  void continueAt(std::int64_t number);
  // The next packet's line was added after the last line.
  void addPacketLine() { ++m_packetLines; }
  // A line of no packet was added after the last line.
  void addOtherLine() { m_others.push_back(m_packetLines); }
  // The line (from 0, counting all lines added since restart()) of packet number, -1 when it
  // was not added.
  std::int64_t lineOf(std::int64_t number) const;
  // The lines added since restart(); a followed log's view drops its oldest ones.
  std::int64_t lines() const {
    return m_baseLine + m_packetLines + static_cast<std::int64_t>(m_others.size());
  }

 private:
  std::int64_t m_baseLine = 0;  // the lines before m_firstNumber's
  std::int64_t m_firstNumber = 1;
  std::int64_t m_packetLines = 0;
  // For each other line, how many packets' lines come before it; ascending.
  std::vector<std::int64_t> m_others;
};

}  // namespace twk
