#pragma once

class QString;
class QWidget;

namespace twk {

// Shows text in a modal box with an OK button only, no icon, and the application's name as its
// caption; returns when the user closes it. The text is shown as plain text, so paths with "<"
// or "&" in them appear as they are.
void showMessage(QWidget* parent, const QString& text);

}  // namespace twk
