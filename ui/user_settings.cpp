#include "ui/user_settings.h"

#include <QSettings>
#include <QStandardPaths>

namespace twk {
namespace {

QSettings store() {
  return QSettings(QStringLiteral("twk"), QStringLiteral("twk-decoder"));
}

const QString kChartFitted = QStringLiteral("Chart/fitted");
const QString kChartTimeLabels = QStringLiteral("Chart/timeLabels");

}  // namespace

bool chartFittedSetting() {
  return store().value(kChartFitted, false).toBool();
}

void saveChartFittedSetting(bool fitted) {
  store().setValue(kChartFitted, fitted);
}

bool chartTimeLabelsSetting() {
  return store().value(kChartTimeLabels, false).toBool();
}

void saveChartTimeLabelsSetting(bool on) {
  store().setValue(kChartTimeLabels, on);
}

QString limitsFilePath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/twk/limits.ini");
}

}  // namespace twk
