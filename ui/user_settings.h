#pragma once

#include <QString>

class QFileDialog;
class QWidget;

namespace twk {

// What the user chose and the window keeps across starts: the main window's place and each
// file dialog's size and folder. Every key is named once, in user_settings.cpp; the file is
// the user's own configuration file of the program ("twk/twk-decoder.conf" in the
// user's configuration folder).
namespace user_settings {

// The file dialogs, each remembered on its own.
enum class Dialog { OpenLog, FollowLog, WriteCsvAs, SaveChartAs };

// Opens dialog at its remembered size, or at one that shows every column, and in its
// remembered folder where that still exists (a save dialog keeps a suggested path's folder
// unless the user has chosen one before).
void restoreDialog(QFileDialog& dialog, Dialog which);
// Keeps the size and the folder of a dialog the user has confirmed.
void rememberDialog(const QFileDialog& dialog, Dialog which);

// Gives window the size, position and maximised state it had when it was last closed, on a
// screen that exists now; a place on a screen since removed gives way to the primary screen.
// Call it before the window is shown; without a remembered place nothing changes.
void restoreWindow(QWidget& window);
void rememberWindow(const QWidget& window);

}  // namespace user_settings
}  // namespace twk
