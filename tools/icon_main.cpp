// Writes the window icon as a PNG file for installing with the desktop entry, so the installed
// icon and the window's are the same drawing. Usage: twk-icon PNG
#include <cstdio>

#include "ui/satellite_art.h"

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: twk-icon PNG\n");
    return 2;
  }
  if (!twk::satelliteIcon().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "twk-icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
