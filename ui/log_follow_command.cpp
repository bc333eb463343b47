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
constexpr int kStallCheckMs = 1000;
constexpr int kGatherMs = 40;
constexpr std::int64_t kMinuteMs = 60 * 1000;
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
  m_stallCheck.setInterval(kStallCheckMs);
  connect(&m_stallCheck, &QTimer::timeout, this, &LogFollowCommand::checkStall);
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
  m_lastPacketAt = m_clock();
  m_stallShown = 0;
  m_stallCheck.start();
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
  m_stallCheck.stop();
  m_window.stopFollowing();
  if (!m_watcher.files().isEmpty()) m_watcher.removePaths(m_watcher.files());
  if (!m_watcher.directories().isEmpty()) m_watcher.removePaths(m_watcher.directories());
  if (m_window.fileLabel().text().startsWith(QStringLiteral("Following "))) {
    m_window.fileLabel().setText(m_path);
  }
  emit followingChanged(false);
}

void LogFollowCommand::showFollowing() {
  // A label too narrow for all of it shows its start and its end: the notes stay in view.
  QString text = QStringLiteral("Following ") + m_path + m_window.heldNote();
  if (m_skippedLines == 1) text += QStringLiteral(", 1 line skipped");
  if (m_skippedLines > 1) text += QStringLiteral(", %1 lines skipped").arg(m_skippedLines);
  m_stallShown = minutesSinceLastPacket();
  if (m_stallShown > 0) text += QStringLiteral(", last packet %1 min ago").arg(m_stallShown);
  if (!m_note.isEmpty()) text += QStringLiteral(" (") + m_note + QLatin1Char(')');
  m_window.fileLabel().setText(text);
}

std::int64_t LogFollowCommand::minutesSinceLastPacket() const {
  return (m_clock() - m_lastPacketAt) / kMinuteMs;
}

// A feed that stalls shows in the label, a minute after its last packet and each minute on.
void LogFollowCommand::checkStall() {
  if (m_follower && minutesSinceLastPacket() != m_stallShown) showFollowing();
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
  const bool packets = store.lastNumber() > before;
  if (packets) m_lastPacketAt = m_clock();
  if (change != LogFollower::Change::None || !skipped.empty() || (packets && m_stallShown > 0)) {
    showFollowing();
  }
  if (store.lastNumber() > before) m_window.appendPackets(before + 1);
  if (!m_window.heldNote().isEmpty()) showFollowing();
}

}  // namespace twk
