#include "ui/modal_boxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

namespace twk::test {

std::vector<SeenBox> answerBoxes(const std::function<void()>& action) {
  std::vector<SeenBox> seen;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    seen.push_back({box->text(), box->windowTitle(), box->icon(), box->standardButtons(),
                    box->windowModality() == Qt::ApplicationModal});
    box->buttons().front()->click();
  });
  poll.start();
  action();
  poll.stop();
  return seen;
}

}  // namespace twk::test
