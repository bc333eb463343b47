#include "ui/packet_scroll_bar.h"

#include <algorithm>

namespace twk {

namespace {
constexpr int kMinimum = 1;
}

PacketScrollBar::PacketScrollBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
  // Before the first load only packet 1 is offered, which the packet table holds.
  setRange(kMinimum, kMinimum);
  setValue(kMinimum);
  // An arrow and a click on the track both move by one packet.
  setSingleStep(1);
  // Qt's scroll bars invert their keys for the wheel's sake; Right means the next packet here.
  setInvertedControls(false);
  setPageStep(1);
  // The panel changes when a dragged thumb is released, not while it moves.
  setTracking(false);
}

void PacketScrollBar::setPacketMaximum(int maximum) {
  m_maximum = maximum;
  setRange(kMinimum, std::max(maximum, kMinimum));
}

}  // namespace twk
