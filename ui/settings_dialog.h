#pragma once

#include <QDialog>

class QSpinBox;

namespace twk {

class MainWindow;

// "File" > "Settings…": the choices kept across starts. "Packets held" is how many packets the
// window holds: a load stops there, a followed log goes on with the newest that many.
class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit SettingsDialog(QWidget* parent = nullptr);

  // Shows the dialog over window; an accepted choice is saved and applied to the window.
  static void edit(MainWindow& window);

 private:
  QSpinBox* m_packetsHeld = nullptr;
};

}  // namespace twk
