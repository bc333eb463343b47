#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>
#include <vector>

namespace twk::test {

// What a user saw of one message box.
struct SeenBox {
  QString text;
  QString title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  bool applicationModal = false;
};

// Runs action and answers every message box it shows as the active modal window by pressing
// its first button, as a user would; returns what the boxes showed, in order.
std::vector<SeenBox> answerBoxes(const std::function<void()>& action);

}  // namespace twk::test
