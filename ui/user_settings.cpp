#include "ui/user_settings.h"

#include <QSettings>
#include <algorithm>

#include "intake/packet_store.h"

namespace twk {
namespace {

QSettings store() {
  return QSettings(QStringLiteral("twk-decoder"), QStringLiteral("twk-decoder"));
}

const QString kPacketsHeld = QStringLiteral("packetsHeld");

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

}  // namespace twk
