#pragma once

#include <QScrollBar>

namespace twk {

// The packet selector. Its minimum is 1 and its maximum the packet count; a count of 0 puts the
// maximum below the minimum. Qt keeps minimum <= maximum, so that case becomes the range 0 to 1
// drawn right to left: the positions stay 1 and 0, the value 1 is kept, and the next load
// restores the minimum of 1.
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
