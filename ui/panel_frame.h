#pragma once

#include <QGroupBox>
#include <QPixmap>

namespace twk {

// A frame of the value panel. Stepping through packets repaints the value fields, and with them
// the frame behind; drawing the frame and its title anew each time costs a fifth of a step, so
// the frame keeps its picture, drawn once over the window's background colour (what lies behind
// a frame) exactly as it would be drawn on the window, until its size or look changes.
class PanelFrame : public QGroupBox {
  Q_OBJECT

 public:
  using QGroupBox::QGroupBox;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QPixmap m_picture;
  bool m_drawing = false;
};

}  // namespace twk
