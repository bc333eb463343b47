#include "ui/user_settings.h"

#include <QSettings>

namespace twk {
namespace {

QSettings store() {
  return QSettings(QStringLiteral("twk"), QStringLiteral("twk-decoder"));
}

const QString kChartFitted = QStringLiteral("Chart/fitted");

}  // namespace

bool chartFittedSetting() {
  return store().value(kChartFitted, false).toBool();
}

void saveChartFittedSetting(bool fitted) {
  store().setValue(kChartFitted, fitted);
}

}  // namespace twk
