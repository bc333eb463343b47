#pragma once

#include <QImage>

namespace twk {

// The program's own pictures, drawn in code so they need no image files and stay sharp: the
// 64 by 64 window icon (also installed as the desktop icon) and the 300 by 222 picture of the
// about box. Both draw on a QImage, which needs no running application.
QImage satelliteIcon();
QImage satellitePicture();

}  // namespace twk
