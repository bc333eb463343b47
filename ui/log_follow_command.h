#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

#include "ui/open_file_command.h"

namespace twk {

class Form1;
class LogFollower;

// "File" > "Follow Log…": a fresh load of one log that the station is still writing, which the
// window then keeps reading: each complete line appended becomes the next packet, shown within
// a fraction of a second. The file label reads "Following FILE" meanwhile. Following ends with
// "File" > "Stop Following", a new load (opened or dropped), a full table or a failing line.
class LogFollowCommand : public QObject {
  Q_OBJECT

 public:
  LogFollowCommand(Form1& window, FileChooser chooser);
  ~LogFollowCommand() override;

  void MnuFollowLog_Click();
  void MnuStopFollowing_Click() { stop(); }

  // Starts following path as a fresh load, showing its newest packet.
  void follow(const QString& path);
  void stop();
  bool following() const { return m_follower != nullptr; }

  void setChooser(FileChooser chooser) { m_chooser = std::move(chooser); }

 signals:
  void followingChanged(bool following);

 private:
  void readAppended();
  void showFollowing(const QString& note = {});

  Form1& m_window;
  FileChooser m_chooser;
  QString m_path;
  std::unique_ptr<LogFollower> m_follower;
  QFileSystemWatcher m_watcher;
  // The file is also looked at a few times a second, always: some file systems (network
  // folders) send no change events. A look at a file that has not grown costs a few calls.
  QTimer m_fallback;
};

}  // namespace twk
