#include "ui/option_button.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace twk {

OptionButton::OptionButton(int index, QWidget* parent) : QRadioButton(parent), m_index(index) {
  setAutoExclusive(false);
}

void OptionButton::nextCheckState() {
  if (m_modifiers & Qt::ControlModifier) {
    emit selectedAlongside(m_index);
    return;
  }
  if (isChecked()) return;
  setChecked(true);
  emit selected(m_index);
}

void OptionButton::mouseReleaseEvent(QMouseEvent* event) {
  m_modifiers = event->modifiers();
  QRadioButton::mouseReleaseEvent(event);
  m_modifiers = {};
}

void OptionButton::keyReleaseEvent(QKeyEvent* event) {
  m_modifiers = event->modifiers();
  QRadioButton::keyReleaseEvent(event);
  m_modifiers = {};
}

}  // namespace twk
