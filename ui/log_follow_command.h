#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

#include "ui/open_file_command.h"

namespace twk {

class MainWindow;
class LogFollower;

// "File" > "Follow Log…": a fresh load of one log that the station is still writing, which the
// window then keeps reading: each complete line appended becomes the next packet, shown within
// a fraction of a second. The file label reads "Following FILE" meanwhile. A line that cannot
// be stored is skipped: the log view shows it in red, the label counts it ("Following FILE,
// 2 lines skipped"), and following goes on. Once no packet came for a minute, the label adds
// "last packet N min ago" until the next one. Following ends with "File" > "Stop Following", a
// new load (opened or dropped), a full table or a failing read.
class LogFollowCommand : public QObject {
  Q_OBJECT

 public:
  LogFollowCommand(MainWindow& window, FileChooser chooser);
  ~LogFollowCommand() override;

  // Asks for the log and follows it.
  void run();
  // Starts following path as a fresh load, showing its newest packet.
  void follow(const QString& path);
  void stop();
  bool following() const { return m_follower != nullptr; }

  void setChooser(FileChooser chooser) { m_chooser = std::move(chooser); }
  // Milliseconds on a steady clock, for the time since the last packet; tests set their own.
  using Clock = std::function<std::int64_t()>;
  void setClock(Clock clock) { m_clock = std::move(clock); }

 signals:
  void followingChanged(bool following);

 private:
  void readAppended();
  void showFollowing();
  void checkStall();
  std::int64_t minutesSinceLastPacket() const;

  MainWindow& m_window;
  FileChooser m_chooser;
  QString m_path;
  std::unique_ptr<LogFollower> m_follower;
  QString m_note;  // what last happened to the file, for the label
  std::uint64_t m_skippedLines = 0;
  Clock m_clock;
  std::int64_t m_lastPacketAt = 0;
  std::int64_t m_stallShown = 0;  // the minutes the label names; 0 while packets come
  QTimer m_stallCheck;            // once a second while following
  QFileSystemWatcher m_watcher;
  // The file is also looked at a few times a second, always: some file systems (network
  // folders) send no change events. A look at a file that has not grown costs a few calls.
  QTimer m_fallback;
  // A station writes each line on its own; the lines that come close together are read and
  // drawn at once, so a fast feed costs a few repaints a second, not one per line.
  QTimer m_soon;
};

}  // namespace twk
