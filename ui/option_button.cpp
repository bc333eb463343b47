#include "ui/option_button.h"

namespace twk {

OptionButton::OptionButton(int index, QWidget* parent) : QRadioButton(parent), m_index(index) {
  setAutoExclusive(false);
}

void OptionButton::nextCheckState() {
  if (isChecked()) return;
  setChecked(true);
  emit selected(m_index);
}

}  // namespace twk
