#include "ui/satellite_art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace twk {
namespace {

const QColor kPanel(0x2f, 0x5f, 0xa7);
const QColor kPanelCells(0x9d, 0xbb, 0xe8);
const QColor kBody(0xd8, 0xa8, 0x38);
const QColor kBodyEdge(0x8a, 0x62, 0x10);
const QColor kStrut(0x50, 0x50, 0x50);

// The spacecraft in its own units, 64 wide and 40 high around the origin: a box-shaped body
// with an antenna on top and a solar panel of 3 by 2 cells on either side.
void drawSatellite(QPainter& p) {
  p.setPen(QPen(kStrut, 1.6));
  p.drawLine(QPointF(-20, 2), QPointF(-8, 2));
  p.drawLine(QPointF(8, 2), QPointF(20, 2));
  p.drawLine(QPointF(0, -8), QPointF(0, -17));
  p.setBrush(kStrut);
  p.drawEllipse(QPointF(0, -18), 2.2, 2.2);

  for (const double left : {-32.0, 20.0}) {
    const QRectF panel(left, -7, 12, 18);
    p.setPen(QPen(kPanel.darker(150), 1.0));
    p.setBrush(kPanel);
    p.drawRect(panel);
    p.setPen(QPen(kPanelCells, 0.7));
    p.drawLine(QPointF(left + 6, -7), QPointF(left + 6, 11));
    for (const double y : {-1.0, 5.0}) p.drawLine(QPointF(left, y), QPointF(left + 12, y));
  }

  p.setPen(QPen(kBodyEdge, 1.2));
  QLinearGradient shine(QPointF(-8, -8), QPointF(8, 12));
  shine.setColorAt(0, kBody.lighter(130));
  shine.setColorAt(1, kBody);
  p.setBrush(shine);
  p.drawRoundedRect(QRectF(-8, -8, 16, 20), 1.5, 1.5);
  p.drawLine(QPointF(-8, 2), QPointF(8, 2));
}

}  // namespace

QImage satelliteIcon() {
  QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(32, 34);
  p.scale(0.95, 0.95);
  drawSatellite(p);
  return image;
}

QImage satellitePicture() {
  QImage image(300, 222, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);

  // The planet's limb along the bottom, under a thin band of atmosphere.
  QPainterPath planet;
  planet.addEllipse(QPointF(150, 560), 420, 400);
  QLinearGradient sea(QPointF(0, 160), QPointF(0, 222));
  sea.setColorAt(0, QColor(0x4a, 0x8c, 0xd6));
  sea.setColorAt(1, QColor(0x1d, 0x4f, 0x96));
  p.setPen(QPen(QColor(0xb8, 0xd8, 0xf4), 5));
  p.setBrush(sea);
  p.drawPath(planet);

  // The orbit, dashed, and the spacecraft on it.
  p.setPen(QPen(QColor(0x9a, 0xa8, 0xb8), 1.2, Qt::DashLine));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(150, 150), 135, 70);
  p.translate(150, 92);
  p.rotate(-12);
  p.scale(2.9, 2.9);
  drawSatellite(p);
  return image;
}

}  // namespace twk
