#include "ui/user_settings.h"

#include <QSettings>
#include <QStandardPaths>
#include <algorithm>

#include "intake/packet_store.h"

namespace twk {
namespace {

QSettings store() {
  return QSettings(QStringLiteral("twk-decoder"), QStringLiteral("twk-decoder"));
}

const QString kPacketsHeld = QStringLiteral("packetsHeld");
const QString kChartFitted = QStringLiteral("Chart/fitted");
const QString kChartTimeLabels = QStringLiteral("Chart/timeLabels");

}  // namespace

int packetsHeldSetting() {
  bool ok = false;
  const int packets = store().value(kPacketsHeld, kDefaultPacketsHeld).toInt(&ok);
  // A value edited by hand out of range is taken at the nearest allowed.
  return ok ? std::clamp(packets, kLeastPacketsHeld, kMostPacketsHeld) : kDefaultPacketsHeld;
}

void savePacketsHeldSetting(int packets) {
  store().setValue(kPacketsHeld, packets);
}

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
