#include "ui/log_follow_command.h"

#include <QFile>
#include <QFileInfo>
#include <QTime>
#include <chrono>

#include "core/error.h"
#include "intake/log_follower.h"
#include "intake/store_loader.h"
#include "ui/decode_failure_text.h"
#include "ui/eliding_label.h"
#include "ui/log_view.h"
#include "ui/log_view_sink.h"
#include "ui/main_window.h"
#include "ui/message_box.h"

namespace twk {

namespace {
constexpr int kFallbackMs = 250;
constexpr int kTickMs = 1000;
constexpr int kGatherMs = 40;
constexpr std::int64_t kMinuteMs = 60 * 1000;
// The age of a packet a minute old and more: the panel's amber, legible on the window's grey.
constexpr QRgb kStaleColour = 0xFF8A5200;
}  // namespace

LogFollowCommand::LogFollowCommand(MainWindow& window, FileChooser chooser)
    : QObject(&window), m_window(window), m_chooser(std::move(chooser)) {
  m_fallback.setInterval(kFallbackMs);
  connect(&m_fallback, &QTimer::timeout, this, &LogFollowCommand::readAppended);
  m_clock = [] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  };
  m_tick.setInterval(kTickMs);
  connect(&m_tick, &QTimer::timeout, this, [this] {
    if (m_follower) showFollowing();
  });
  m_soon.setSingleShot(true);
  m_soon.setInterval(kGatherMs);
  connect(&m_soon, &QTimer::timeout, this, &LogFollowCommand::readAppended);
  const auto readSoon = [this] {
    if (!m_soon.isActive()) m_soon.start();
  };
  connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, readSoon);
  connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, readSoon);
  // Any other load ends following: its packets are not the followed log's.
  connect(&m_window, &MainWindow::loadStarting, this, &LogFollowCommand::stop);
}

LogFollowCommand::~LogFollowCommand() = default;

void LogFollowCommand::run() {
  const std::optional<QStringList> chosen = m_chooser();
  if (!chosen || chosen->isEmpty()) return;
  follow(chosen->front());
}

void LogFollowCommand::follow(const QString& path) {
  stop();
  m_window.startFollowing(path);
  m_note.clear();
  m_skippedLines = 0;
  const std::string name = QFile::encodeName(path).toStdString();
  std::vector<Error> skipped;
  LogViewSink sink(m_window.fileLabel(), m_window.logView(), LogViewSink::Show::AtStart, &skipped,
                   m_window.packets().lastNumber() + 1);
  try {
    m_follower = std::make_unique<LogFollower>(name);
    sink.fileStarted(name);
    StoreLoader loader(m_window.packets(), sink, LogViewSink::kMostLinesShown);
    m_follower->read(loader);
  } catch (const Error& error) {
    sink.flush();
    m_follower.reset();
    m_window.stopFollowing();
    m_window.showLoad();
    showMessage(&m_window, decodeFailureText(error, {}));
    return;
  }
  sink.flush();
  m_window.showLoad();
  // Unlike other loads, following starts at the newest packet.
  if (m_window.packets().count() > 0) m_window.showPacket(m_window.packets().count());
  m_path = path;
  m_skippedLines = skipped.size();
  // What the log held when following began arrived before; its newest is taken as now.
  m_lastPacketAt = m_clock();
  m_anyPacket = m_window.packets().count() > 0;
  m_arrivals.clear();
  m_tick.start();
  m_watcher.addPath(path);
  m_watcher.addPath(QFileInfo(path).absolutePath());
  m_fallback.start();
  showFollowing();
  emit followingChanged(true);
}

void LogFollowCommand::stop() {
  if (!m_follower) return;
  m_follower.reset();
  m_fallback.stop();
  m_soon.stop();
  m_tick.stop();
  m_window.stopFollowing();
  if (!m_watcher.files().isEmpty()) m_watcher.removePaths(m_watcher.files());
  if (!m_watcher.directories().isEmpty()) m_watcher.removePaths(m_watcher.directories());
  m_window.fileLabel().setParts({{QStringLiteral("Stopped following \u00b7 ")}, {m_path, true}});
  emit followingChanged(false);
}

void LogFollowCommand::showFollowing() {
  // What the operator needs first comes first; the path gives way before it.
  const std::int64_t now = m_clock();
  while (!m_arrivals.empty() && now - m_arrivals.front().first >= kMinuteMs) {
    m_arrivals.pop_front();
  }
  std::int64_t lastMinute = 0;
  for (const auto& [at, packets] : m_arrivals) lastMinute += packets;
  const QString dot = QStringLiteral(" \u00b7 ");
  QList<ElidingLabel::Part> parts{
      {QStringLiteral("Following")},
      {dot + (lastMinute == 1 ? QStringLiteral("1 packet in the last minute")
                              : QStringLiteral("%1 packets in the last minute").arg(lastMinute))}};
  const std::int64_t seconds = (now - m_lastPacketAt) / 1000;
  if (!m_anyPacket) {
    parts.append({dot + QStringLiteral("no packet yet")});
  } else if (seconds < 60) {
    parts.append({dot + QStringLiteral("last packet %1 s ago").arg(seconds)});
  } else {
    // A feed that stalled for a minute is marked.
    parts.append({dot + QStringLiteral("last packet %1 min ago").arg(seconds / 60), false,
                  QColor(kStaleColour)});
  }
  if (m_skippedLines == 1) parts.append({dot + QStringLiteral("1 line skipped")});
  if (m_skippedLines > 1)
    parts.append({dot + QStringLiteral("%1 lines skipped").arg(m_skippedLines)});
  const PacketStore& store = m_window.packets();
  if (store.firstNumber() > 1)
    parts.append({dot + QStringLiteral("newest %1 held").arg(store.count())});
  parts.append({dot});
  parts.append({m_path, true});
  if (!m_note.isEmpty()) parts.append({QStringLiteral(" (") + m_note + QLatin1Char(')')});
  m_window.fileLabel().setParts(parts);
}

void LogFollowCommand::noteWritten(const QString& path) {
  if (!m_follower) return;
  m_note = QStringLiteral("%1 has been written").arg(path);
  showFollowing();
}

void LogFollowCommand::readAppended() {
  if (!m_follower) return;
  PacketStore& store = m_window.packets();
  const std::int64_t before = store.lastNumber();
  std::vector<Error> skipped;
  LogViewSink sink(m_window.fileLabel(), m_window.logView(), LogViewSink::Show::Never, &skipped,
                   before + 1);
  LogFollower::Change change = LogFollower::Change::None;
  try {
    StoreLoader loader(store, sink, LogViewSink::kMostLinesShown);
    change = m_follower->read(loader);
  } catch (const Error& error) {
    sink.flush();
    m_window.appendPackets(before + 1);
    stop();
    showMessage(&m_window, decodeFailureText(error, {}));
    return;
  }
  sink.flush();
  // A replaced file is watched anew, and the old one no more: it may live on under another
  // name, and its watch would stay for as long as following goes on.
  if (change == LogFollower::Change::Replaced) m_watcher.removePath(m_path);
  if (!m_watcher.files().contains(m_path) && QFileInfo::exists(m_path)) m_watcher.addPath(m_path);
  const QString at = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
  if (change == LogFollower::Change::Truncated) {
    m_note = QStringLiteral("emptied at %1, read again from its start").arg(at);
  } else if (change == LogFollower::Change::Replaced) {
    m_note = QStringLiteral("replaced at %1, the new file read from its start").arg(at);
  }
  m_skippedLines += skipped.size();
  const std::int64_t added = store.lastNumber() - before;
  if (added > 0) {
    m_lastPacketAt = m_clock();
    m_anyPacket = true;
    m_arrivals.emplace_back(m_lastPacketAt, added);
    m_window.appendPackets(before + 1);
  }
  if (added > 0 || change != LogFollower::Change::None || !skipped.empty()) showFollowing();
}

}  // namespace twk
