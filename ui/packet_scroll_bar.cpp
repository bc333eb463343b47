#include "ui/packet_scroll_bar.h"

#include <QKeyEvent>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStyleOptionSlider>
#include <QStylePainter>
#include <QWheelEvent>
#include <algorithm>

namespace twk {

namespace {
constexpr int kMinimum = 1;
}

PacketScrollBar::PacketScrollBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
  // Before the first load only packet 1 is offered, which the packet table holds.
  setRange(kMinimum, kMinimum);
  setValue(kMinimum);
  // An arrow and a click on the track both move by one packet; the page keys are handled here.
  setSingleStep(1);
  setPageStep(1);
  // Qt's scroll bars invert their keys for the wheel's sake; Right means the next packet here.
  // The wheel is handled here as well, since the inversion would turn it round too.
  setInvertedControls(false);
  // The panel follows a dragged thumb, so a user can scrub through a pass.
  setTracking(true);
  setFocusPolicy(Qt::StrongFocus);
}

void PacketScrollBar::setPacketMaximum(int maximum) {
  m_maximum = maximum;
  setRange(kMinimum, std::max(maximum, kMinimum));
}

void PacketScrollBar::stepPackets(int packets) {
  if (packets != 0) setValue(value() + packets);
}

int PacketScrollBar::pageJump() const {
  return std::max(1, m_maximum / 20);
}

void PacketScrollBar::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
    stepPackets(event->key() == Qt::Key_PageDown ? pageJump() : -pageJump());
    event->accept();
    return;
  }
  QScrollBar::keyPressEvent(event);
}

PacketScrollBar::Look PacketScrollBar::look() const {
  QStyleOptionSlider option;
  initStyleOption(&option);
  return {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
          value() == minimum(), value() == maximum()};
}

// With thousands of packets a step moves the thumb less than a pixel: the bar is repainted only
// when a step changes what it shows.
void PacketScrollBar::sliderChange(SliderChange change) {
  if (change == SliderValueChange && look() == m_painted) return;
  QScrollBar::sliderChange(change);
}

void PacketScrollBar::paintEvent(QPaintEvent* event) {
  m_painted = look();
  QScrollBar::paintEvent(event);
  // Scroll bars draw no focus mark of their own; a keyboard user must see where the keys go.
  if (hasFocus()) {
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
  }
}

void PacketScrollBar::wheelEvent(QWheelEvent* event) {
  stepPackets(m_wheel.add(event->angleDelta()));
  event->accept();
}

}  // namespace twk
