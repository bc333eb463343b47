#pragma once

#include <QPoint>

namespace twk {

// Turns wheel turns into whole notches of 120 eighths of a degree, also when a high-resolution
// wheel or a touchpad delivers them in small pieces. Turning towards the user (down) counts
// positive: later packets.
class WheelSteps {
 public:
  // Adds a wheel event's angle delta (the vertical one, or the horizontal one when there is no
  // vertical) and returns the notches it completes.
  int add(QPoint angleDelta);

 private:
  int m_rest = 0;
};

}  // namespace twk
