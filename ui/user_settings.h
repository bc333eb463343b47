#pragma once

#include <QRect>
#include <QString>
#include <optional>

class QFileDialog;

namespace twk {

// What the user chose and the window keeps across starts: the main window's place, each file
// dialog's size and folder, the packets held and the chart's choices. Every key is named once, in
// user_settings.cpp; the file is the user's own configuration file of the program
// ("twk/twk-decoder.conf" in the user's configuration folder).
namespace user_settings {

// The file dialogs, each remembered on its own.
enum class Dialog { OpenLog, FollowLog, WriteCsvAs, SaveChartAs };

// Opens dialog at its remembered size, or at one that shows every column, and in its
// remembered folder where that still exists (a save dialog keeps a suggested path's folder
// unless the user has chosen one before).
void restoreDialog(QFileDialog& dialog, Dialog which);
// Keeps the size of a dialog the user has confirmed and the folder of the (first) file chosen.
void rememberDialog(const QFileDialog& dialog, Dialog which);

// The main window's normal (unmaximised) geometry and whether it was maximised when it was last
// closed; nothing before the first close.
struct WindowPlace {
  QRect normal;
  bool maximised = false;
};
std::optional<WindowPlace> windowPlace();
void rememberWindowPlace(const WindowPlace& place);

// "Packets held": how many packets the window holds, kDefaultPacketsHeld until the user chooses.
int packetsHeld();
void rememberPacketsHeld(int packets);

// Fit to Values: a line over an axis fitted to the values shown instead of bars from zero.
bool chartFitted();
void rememberChartFitted(bool fitted);

// Label by On-board Time: the chart's categories named by the packets' on-board times.
bool chartTimeLabels();
void rememberChartTimeLabels(bool on);

// The limits file: "twk/limits.ini" in the user's configuration folder.
QString limitsFilePath();

}  // namespace user_settings
}  // namespace twk
