#pragma once

#include <QRadioButton>

namespace twk {

// An option button of a group that spans several frames. Qt groups radio buttons by their
// parent and an auto-exclusive button cannot be cleared by code, so these buttons are not
// auto-exclusive and the window clears the others itself. A click selects the button and never
// clears it; only a click that selects it reports `selected`. A click with Ctrl held (or Ctrl
// with the space bar) leaves the button as it was and reports `selectedAlongside`.
class OptionButton : public QRadioButton {
  Q_OBJECT

 public:
  OptionButton(int index, QWidget* parent = nullptr);

 signals:
  void selected(int index);
  void selectedAlongside(int index);

 protected:
  void nextCheckState() override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  int m_index;
  // The modifiers of the release that clicks the button; a click by code has none.
  Qt::KeyboardModifiers m_modifiers;
};

}  // namespace twk
