#include "ui/panel_frame.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

namespace twk {

void PanelFrame::paintEvent(QPaintEvent* event) {
  if (m_picture.isNull() || m_picture.devicePixelRatioF() != devicePixelRatioF() || m_drawing) {
    QGroupBox::paintEvent(event);
    if (!m_drawing) QTimer::singleShot(0, this, &PanelFrame::keepPicture);
    return;
  }
  QPainter painter(this);
  painter.setClipRegion(event->region());
  painter.drawPixmap(0, 0, m_picture);
}

// Called from the event loop, after the plain paint that scheduled it.
void PanelFrame::keepPicture() {
  const qreal ratio = devicePixelRatioF();
  if (!m_picture.isNull() && m_picture.devicePixelRatioF() == ratio) return;
  QPixmap picture(size() * ratio);
  picture.setDevicePixelRatio(ratio);
  picture.fill(palette().color(QPalette::Window));
  m_drawing = true;
  render(&picture, QPoint(), QRegion(rect()), QWidget::RenderFlags());
  m_drawing = false;
  m_picture = picture;
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
