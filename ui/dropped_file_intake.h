#pragma once

class QMimeData;
class QString;

namespace twk {

class MainWindow;

// Files dropped on the log view: the first local file is decoded when its path ends in "LOG"
// in any case, and its packets are added after those loaded. Further files are ignored.
class DroppedFileIntake {
 public:
  explicit DroppedFileIntake(MainWindow& window) : m_window(window) {}

  void take(const QMimeData& data);

  // Only the last three characters count, not an extension: "catalog" is a log too.
  static bool isLogName(const QString& path);

 private:
  MainWindow& m_window;
};

}  // namespace twk
