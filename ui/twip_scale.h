#pragma once

#include <QRect>

namespace twk {

// The window's layout is given in twips (1/1440 inch). Mapping them through the screen's logical
// DPI keeps the proportions at any font scaling, and Qt's device pixel ratio keeps them crisp
// on high-density screens.
class TwipScale {
 public:
  explicit TwipScale(double logicalDpi) : m_pixelsPerTwip(logicalDpi / 1440.0) {}

  int operator()(int twips) const;
  QRect rect(int left, int top, int width, int height) const;

 private:
  double m_pixelsPerTwip;
};

}  // namespace twk
