#pragma once

#include <QStringList>
#include <functional>
#include <optional>

namespace twk {

class MainWindow;

// Asks the user for log files: their full paths in the order chosen, or nothing on cancel.
using FileChooser = std::function<std::optional<QStringList>()>;

// "File" > "Open": a fresh load of the files the user chooses, each decoded in turn in the
// chooser's order, the window refreshed after every file. Nothing changes until a selection is
// confirmed: a cancelled chooser and a selection too long for the answer text leave the window
// as it was. One message at the end names the lines skipped, a file that failed and the files
// not read after it, or that the load holds no packet.
class OpenFileCommand {
 public:
  // Room for the answer text that names the selection, in characters.
  static constexpr qsizetype kMaxAnswerLength = 32767;

  OpenFileCommand(MainWindow& window, FileChooser chooser);

  // Asks for the files and loads them.
  void run();
  // Loads paths as chosen in the dialog.
  void load(const QStringList& paths);

  // The length of the answer text for paths: one path as it is; several as their folder, then
  // each bare name, every piece after the first preceded by a NUL.
  static qsizetype answerLength(const QStringList& paths);

 private:
  MainWindow& m_window;
  FileChooser m_chooser;
};

}  // namespace twk
