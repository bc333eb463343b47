#pragma once

class QMimeData;
class QString;

namespace twk {

class Form1;

// Files dropped on the log view: the first local file is decoded when its path ends in "LOG"
// in any case, and its packets are added after those loaded. Further files are ignored.
class DroppedFileIntake {
 public:
  explicit DroppedFileIntake(Form1& window) : m_window(window) {}

  void RichTextBox1_OLEDragDrop(const QMimeData& data);

  // Only the last three characters count, not an extension: "catalog" is a log too.
  static bool isLogName(const QString& path);

 private:
  Form1& m_window;
};

}  // namespace twk
