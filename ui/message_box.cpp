#include "ui/message_box.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace twk {

void showMessage(QWidget* parent, const QString& text) {
  QMessageBox box(parent);
  box.setIcon(QMessageBox::NoIcon);
  box.setWindowTitle(QGuiApplication::applicationDisplayName());
  box.setTextFormat(Qt::PlainText);
  box.setText(text);
  box.setStandardButtons(QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

}  // namespace twk
