#pragma once

#include "ui/open_file_command.h"

class QFileDialog;
class QWidget;

namespace twk {

// The file filters of the open dialog, in the order it offers them; the first is in force.
QStringList logFileFilters();

// Sets dialog up for the open command: several existing files, the three filters with the log
// files' one selected, patterns matched regardless of case (so "FLIGHT.LOG" is offered), and
// Qt's own dialog, whose filters behave the same on every desktop.
void setUpLogFileDialog(QFileDialog& dialog);

// The open command's chooser: the dialog above, shown modally over parent; with several false
// it picks one file, as following a log does. A title replaces Qt's "Open".
FileChooser logFileDialog(QWidget* parent, bool several = true, const QString& title = {});

}  // namespace twk
