#pragma once

#include <QScrollBar>

namespace twk {

// The packet selector. Its minimum is 1 and its maximum the packet count. A load without packets
// leaves the one position 1, so no position offers a packet that the load does not hold.
class PacketScrollBar : public QScrollBar {
  Q_OBJECT

 public:
  explicit PacketScrollBar(QWidget* parent = nullptr);

  void setPacketMaximum(int maximum);
  // The maximum as set, also when it lies below the minimum of 1.
  int packetMaximum() const { return m_maximum; }

 private:
  int m_maximum = 1;
};

}  // namespace twk
