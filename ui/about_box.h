#pragma once

#include <QWidget>

namespace twk {

// The about box: the program's name, the product line, the version, a copyright line, the
// addresses and a picture of the spacecraft. It is a top-level window of its own, modeless and
// without an owner, and deletes itself when closed, so every "Info" after a close builds it
// anew. Esc closes it.
class AboutBox : public QWidget {
  Q_OBJECT

 public:
  explicit AboutBox(QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace twk
