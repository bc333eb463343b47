#include "ui/log_follow_command.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QTime>

#include "core/error.h"
#include "intake/log_follower.h"
#include "ui/decode_failure_text.h"
#include "ui/form1.h"
#include "ui/log_view_sink.h"
#include "ui/message_box.h"

namespace twk {

namespace {
constexpr int kFallbackMs = 250;
}

LogFollowCommand::LogFollowCommand(Form1& window, FileChooser chooser)
    : QObject(&window), m_window(window), m_chooser(std::move(chooser)) {
  m_fallback.setInterval(kFallbackMs);
  connect(&m_fallback, &QTimer::timeout, this, &LogFollowCommand::readAppended);
  connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &LogFollowCommand::readAppended);
  connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &LogFollowCommand::readAppended);
  // Any other load ends following: its packets are not the followed log's.
  connect(&m_window, &Form1::decodingStarted, this, &LogFollowCommand::stop);
}

LogFollowCommand::~LogFollowCommand() = default;

void LogFollowCommand::MnuFollowLog_Click() {
  const std::optional<QStringList> chosen = m_chooser();
  if (!chosen || chosen->isEmpty()) return;
  follow(chosen->front());
}

void LogFollowCommand::follow(const QString& path) {
  stop();
  m_window.List2()->clear();
  m_window.List2()->addItem(path);
  m_window.Log_FileName = path;
  m_window.Label3()->setText(path);
  m_window.packets().Packet_Count = 0;
  m_window.packets().setWhenFull(PacketStore::WhenFull::DropOldest);
  const std::string name = QFile::encodeName(path).toStdString();
  LogViewSink sink(m_window.packets(), *m_window.Label3(), *m_window.RichTextBox1());
  try {
    m_follower = std::make_unique<LogFollower>(name);
    sink.fileStarted(name);
    m_follower->read(sink);
  } catch (const Error& error) {
    sink.flush();
    m_follower.reset();
    m_window.Make_Channels();
    showMessage(&m_window, decodeFailureText(error, {}));
    return;
  }
  sink.flush();
  m_window.Make_Channels();
  // Unlike other loads, following starts at the newest packet.
  if (m_window.packets().Packet_Count > 0) m_window.showPacket(m_window.packets().Packet_Count);
  m_path = path;
  m_note.clear();
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
  if (!m_watcher.files().isEmpty()) m_watcher.removePaths(m_watcher.files());
  if (!m_watcher.directories().isEmpty()) m_watcher.removePaths(m_watcher.directories());
  if (m_window.Label3()->text().startsWith(QStringLiteral("Following "))) {
    m_window.Label3()->setText(m_path);
  }
  emit followingChanged(false);
}

void LogFollowCommand::showFollowing(const QString& note) {
  // How many are held comes first: the note after it may run past the label's end.
  QString text = QStringLiteral("Following ") + m_path + m_window.heldNote();
  if (!note.isEmpty()) m_note = note;
  if (!m_note.isEmpty()) text += QStringLiteral(" (") + m_note + QLatin1Char(')');
  m_window.Label3()->setText(text);
}

void LogFollowCommand::readAppended() {
  if (!m_follower) return;
  PacketStore& store = m_window.packets();
  const std::int64_t before = store.lastNumber();
  LogViewSink sink(store, *m_window.Label3(), *m_window.RichTextBox1(), LogViewSink::Show::Never);
  LogFollower::Change change = LogFollower::Change::None;
  try {
    change = m_follower->read(sink);
  } catch (const Error& error) {
    sink.flush();
    m_window.appendPackets(before + 1);
    stop();
    showMessage(&m_window, decodeFailureText(error, {}));
    return;
  }
  sink.flush();
  // A replaced file is watched anew: the watch went with the old one.
  if (!m_watcher.files().contains(m_path) && QFileInfo::exists(m_path)) m_watcher.addPath(m_path);
  const QString at = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
  if (change == LogFollower::Change::Truncated) {
    showFollowing(QStringLiteral("emptied at %1, read again from its start").arg(at));
  } else if (change == LogFollower::Change::Replaced) {
    showFollowing(QStringLiteral("replaced at %1, the new file read from its start").arg(at));
  }
  if (store.lastNumber() > before) m_window.appendPackets(before + 1);
  if (!m_window.heldNote().isEmpty()) showFollowing();
}

}  // namespace twk
