#pragma once

#include <QWidget>

class QLabel;

namespace twk {

// The about box: the program's name, the product line, the version, a copyright line, the
// addresses and a picture of the spacecraft. It is a top-level window of its own, modeless and
// without an owner, and deletes itself when closed, so every "Info" after a close loads it anew.
// Esc closes it.
// Its labels carry the names Label1 to Label8, "Image1" and "Frame1" as object names.
class Form2 : public QWidget {
  Q_OBJECT

 public:
  explicit Form2(QWidget* parent = nullptr);

  // Runs once per load, from the constructor: puts the version text into Label2.
  void Form_Load();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QLabel* m_version = nullptr;
};

}  // namespace twk
