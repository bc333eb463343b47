#include "ui/packet_navigator.h"

#include <QLabel>
#include <QSignalBlocker>

#include "intake/packet_store.h"
#include "ui/packet_scroll_bar.h"
#include "ui/twip_scale.h"

namespace twk {

PacketNavigator::PacketNavigator(QWidget& bottomRow, const TwipScale& tw, const PacketStore& store)
    : QObject(&bottomRow), m_store(store) {
  m_label = new QLabel(&bottomRow);
  m_label->setObjectName(QStringLiteral("packetLabel"));
  m_label->setGeometry(tw.rect(7320, 11640, 975, 255));
  m_scroll = new PacketScrollBar(&bottomRow);
  m_scroll->setObjectName(QStringLiteral("packetScrollBar"));
  m_scroll->setGeometry(tw.rect(8400, 11640, 1335, 255));
  connect(m_scroll, &QScrollBar::valueChanged, this, [this](int row) {
    showLabel();
    emit rowChosen(row);
  });
}

int PacketNavigator::row() const {
  return m_scroll->value();
}

bool PacketNavigator::atNewest() const {
  return m_scroll->value() >= m_scroll->packetMaximum();
}

void PacketNavigator::startAtFirst() {
  m_scroll->setPacketMaximum(m_store.count());
  moveTo(1);
}

void PacketNavigator::packetsChanged() {
  m_scroll->setPacketMaximum(m_store.count());
  showLabel();
}

void PacketNavigator::moveTo(int row) {
  {
    const QSignalBlocker quiet(m_scroll);
    m_scroll->setValue(row);
  }
  showLabel();
}

void PacketNavigator::showLabel() {
  // The scroll bar counts the rows held; the label names each packet by its number in the load.
  const int row = m_scroll->value();
  if (m_store.count() == 0 || row < 1 || row > m_store.count()) {
    m_label->setText(QString::number(row) + QLatin1Char('/') +
                     QString::number(m_scroll->packetMaximum()));
  } else {
    m_label->setText(QString::number(m_store.numberOf(row)) + QLatin1Char('/') +
                     QString::number(m_store.lastNumber()));
  }
}

}  // namespace twk
