#include "ui/fonts.h"

#include <QStringList>

namespace twk {

QFont sansFont(double points, bool bold) {
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("Arial")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

QFont logFont() {
  QFont font(QStringLiteral("Courier New"));
  font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")});
  font.setStyleHint(QFont::TypeWriter);
  font.setPointSizeF(8.25);
  return font;
}

}  // namespace twk
