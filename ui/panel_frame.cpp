#include "ui/panel_frame.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

namespace twk {

void PanelFrame::paintEvent(QPaintEvent* event) {
  if (m_drawing) {  // the frame drawing itself into its picture
    QGroupBox::paintEvent(event);
    return;
  }
  const qreal ratio = devicePixelRatioF();
  if (m_picture.isNull() || m_picture.devicePixelRatioF() != ratio) {
    m_picture = QPixmap(size() * ratio);
    m_picture.setDevicePixelRatio(ratio);
    m_picture.fill(palette().color(QPalette::Window));
    m_drawing = true;
    render(&m_picture, QPoint(), QRegion(rect()), QWidget::RenderFlags());
    m_drawing = false;
  }
  QPainter painter(this);
  painter.setClipRegion(event->region());
  painter.drawPixmap(0, 0, m_picture);
}

void PanelFrame::resizeEvent(QResizeEvent* event) {
  m_picture = QPixmap();
  QGroupBox::resizeEvent(event);
}

void PanelFrame::changeEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::PaletteChange:
    case QEvent::FontChange:
    case QEvent::StyleChange:
    case QEvent::EnabledChange:
    case QEvent::ActivationChange: m_picture = QPixmap(); break;
    default: break;
  }
  QGroupBox::changeEvent(event);
}

}  // namespace twk
