#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

#include "ui/open_file_command.h"

namespace twk {

class MainWindow;
class LogFollower;

// "File" > "Follow Log…": a fresh load of one log that the station is still writing, which the
// window then keeps reading: each complete line appended becomes the next packet, shown within
// a fraction of a second. Meanwhile the file label is a live line, brought up to date each
// second: "Following · 118 packets in the last minute · last packet 2 s ago · 2 lines skipped
// · newest 1000 held · PATH (emptied at 12:01:07, read again from its start)"; the age turns
// amber once the last packet is a minute old, and the path gives way first where the label is
// narrow. A line that cannot be stored is skipped: the log view shows it in red, the label counts
// it, and following goes on. Following ends with "File" > "Stop Following", a new load (opened
// or dropped) or a failing read; the label then says "Stopped following".
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
  // A CSV file was written: while following, the live line says so after the path.
  void noteWritten(const QString& path);

 signals:
  void followingChanged(bool following);

 private:
  void readAppended();
  void showFollowing();

  MainWindow& m_window;
  FileChooser m_chooser;
  QString m_path;
  std::unique_ptr<LogFollower> m_follower;
  QString m_note;  // what last happened to the file or the load, for the label
  std::uint64_t m_skippedLines = 0;
  Clock m_clock;
  std::int64_t m_lastPacketAt = 0;
  bool m_anyPacket = false;
  // When packets came in the last minute, and how many each time.
  std::deque<std::pair<std::int64_t, std::int64_t>> m_arrivals;
  QTimer m_tick;  // once a second while following, for the ages in the label
  QFileSystemWatcher m_watcher;
  // The file is also looked at a few times a second, always: some file systems (network
  // folders) send no change events. A look at a file that has not grown costs a few calls.
  QTimer m_fallback;
  // A station writes each line on its own; the lines that come close together are read and
  // drawn at once, so a fast feed costs a few repaints a second, not one per line.
  QTimer m_soon;
};

}  // namespace twk
