#include "ui/packet_scroll_bar.h"

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
  setPageStep(1);
  // The panel changes when a dragged thumb is released, not while it moves.
  setTracking(false);
}

void PacketScrollBar::setPacketMaximum(int maximum) {
  m_maximum = maximum;
  const bool reversed = maximum < kMinimum;
  setInvertedAppearance(reversed);
  setInvertedControls(reversed);
  if (reversed) {
    setRange(maximum, kMinimum);
  } else {
    setRange(kMinimum, maximum);
  }
}

}  // namespace twk
