#pragma once

#include <QStringList>
#include <functional>
#include <optional>

namespace twk {

class Form1;

// Asks the user for log files: their full paths in the order chosen, or nothing on cancel.
using FileChooser = std::function<std::optional<QStringList>()>;

// "File" > "Open": a fresh load of the files the user chooses. List2 gets their full paths in
// the chooser's order and each is decoded in turn, the window refreshed after every file.
// Nothing changes until a selection is confirmed: a cancelled chooser and a selection too long
// for the answer text leave the store, List2 and the window as they were.
class OpenFileCommand {
 public:
  // Room for the answer text that names the selection, in characters.
  static constexpr qsizetype kMaxAnswerLength = 32767;

  OpenFileCommand(Form1& window, FileChooser chooser);

  void MnuOpenFile_Click();

  // The length of the answer text for paths: one path as it is; several as their folder, then
  // each bare name, every piece after the first preceded by a NUL.
  static qsizetype answerLength(const QStringList& paths);

 private:
  Form1& m_window;
  FileChooser m_chooser;
};

}  // namespace twk
