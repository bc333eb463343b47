#include "ui/settings_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>

#include "intake/packet_store.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/user_settings.h"

namespace twk {

SettingsDialog::SettingsDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Settings"));
  m_packetsHeld = new QSpinBox(this);
  m_packetsHeld->setObjectName(QStringLiteral("packetsHeld"));
  m_packetsHeld->setRange(kLeastPacketsHeld, kMostPacketsHeld);
  m_packetsHeld->setValue(user_settings::packetsHeld());
  m_packetsHeld->setToolTip(
      QStringLiteral("A load stops after this many packets; a followed log keeps the newest this "
                     "many. Each packet held takes about 100 bytes."));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  // A number out of range is said so, not silently replaced by the last one in range.
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (m_packetsHeld->hasAcceptableInput()) return accept();
    showMessage(this, QStringLiteral("Packets held must be a whole number from %1 to %2.")
                          .arg(kLeastPacketsHeld)
                          .arg(kMostPacketsHeld));
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QFormLayout(this);
  layout->addRow(QStringLiteral("Packets held:"), m_packetsHeld);
  layout->addRow(buttons);
  connect(this, &QDialog::accepted, this,
          [this] { user_settings::rememberPacketsHeld(m_packetsHeld->value()); });
}

void SettingsDialog::edit(MainWindow& window) {
  SettingsDialog dialog(&window);
  if (dialog.exec() == QDialog::Accepted) window.setPacketsHeld(user_settings::packetsHeld());
}

}  // namespace twk
