#pragma once

#include <QFont>

namespace twk {

// The window's and the about box's sans-serif font at points, bold or not. Where its first face
// is missing, the narrow sans-serif faces come first, so that names fit their labels; the
// platform's sans-serif font at the same size is the last resort.
QFont sansFont(double points, bool bold = false);

// The log view's fixed-width font.
QFont logFont();

}  // namespace twk
