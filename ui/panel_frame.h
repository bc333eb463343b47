#pragma once

#include <QGroupBox>
#include <QPixmap>

namespace twk {

// A frame of the value panel. Stepping through packets repaints the value fields, and with them
// the frame behind; drawing the frame and its title anew each time costs a fifth of a step, so
// the frame keeps its picture, drawn over the window's background colour (what lies behind a
// frame) exactly as it would be drawn on the window, until its size or look changes. The picture
// is taken just after a plain paint, never inside one: a screen refuses a recursive repaint.
class PanelFrame : public QGroupBox {
  Q_OBJECT

 public:
  using QGroupBox::QGroupBox;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void keepPicture();

  QPixmap m_picture;
  bool m_drawing = false;
};

}  // namespace twk
