#include "ui/twip_scale.h"

#include <cmath>

namespace twk {

int TwipScale::operator()(int twips) const {
  return static_cast<int>(std::lround(twips * m_pixelsPerTwip));
}

QRect TwipScale::rect(int left, int top, int width, int height) const {
  // Edges are rounded, not sizes, so neighbouring controls keep their common borders.
  const int x = (*this)(left);
  const int y = (*this)(top);
  return QRect(x, y, (*this)(left + width) - x, (*this)(top + height) - y);
}

}  // namespace twk
