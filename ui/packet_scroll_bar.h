#pragma once

#include <QScrollBar>

#include "ui/wheel_steps.h"

namespace twk {

// The packet selector. Its minimum is 1 and its maximum the packet count. A load without packets
// leaves the one position 1, so no position offers a packet that the load does not hold.
// It takes the focus with Tab or a click: Left and Right move one packet, Page Up and Page Down
// a twentieth of the packets, Home and End to the first and the last. The wheel moves one
// packet per notch, down to later packets, and a dragged thumb moves the packet as it goes.
class PacketScrollBar : public QScrollBar {
  Q_OBJECT

 public:
  explicit PacketScrollBar(QWidget* parent = nullptr);

  void setPacketMaximum(int maximum);
  // The maximum as set, also when it lies below the minimum of 1.
  int packetMaximum() const { return m_maximum; }
  // Moves by packets (negative: earlier), kept inside the range.
  void stepPackets(int packets);
  // What Page Up and Page Down move: a twentieth of the packets, at least one.
  int pageJump() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void sliderChange(SliderChange change) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // What a value shows: where the thumb lies and which arrows can move it.
  struct Look {
    QRect thumb;
    bool atMinimum = false;
    bool atMaximum = false;
    bool operator==(const Look&) const = default;
  };
  Look look() const;

  int m_maximum = 1;
  WheelSteps m_wheel;
  Look m_painted;
};

}  // namespace twk
