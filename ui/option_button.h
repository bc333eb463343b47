#pragma once

#include <QRadioButton>

namespace twk {

// An option button of a group that spans several frames. Qt groups radio buttons by their
// parent and an auto-exclusive button cannot be cleared by code, so these buttons are not
// auto-exclusive and the window clears the others itself. A click selects the button and never
// clears it; only a click that selects it reports `selected`.
class OptionButton : public QRadioButton {
  Q_OBJECT

 public:
  OptionButton(int index, QWidget* parent = nullptr);

 signals:
  void selected(int index);

 protected:
  void nextCheckState() override;

 private:
  int m_index;
};

}  // namespace twk
