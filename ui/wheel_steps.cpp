#include "ui/wheel_steps.h"

namespace twk {

int WheelSteps::add(QPoint angleDelta) {
  constexpr int kNotch = 120;
  const int delta = angleDelta.y() != 0 ? angleDelta.y() : angleDelta.x();
  // A turn back the other way first uses up what was left of the last notch.
  m_rest -= delta;
  const int steps = m_rest / kNotch;
  m_rest -= steps * kNotch;
  return steps;
}

}  // namespace twk
