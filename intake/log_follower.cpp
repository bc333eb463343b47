#include "intake/log_follower.h"

#include <sys/stat.h>
#include <unistd.h>

namespace twk {

LogFollower::LogFollower(std::string path) : m_path(std::move(path)) {
  open();
}

LogFollower::~LogFollower() = default;

void LogFollower::open() {
  auto file = std::make_unique<LogFile>(m_path);
  struct stat info {};
  ::fstat(file->fd(), &info);
  m_file = std::move(file);
  m_device = info.st_dev;
  m_inode = info.st_ino;
  m_reader = std::make_unique<LineReader>(m_file->fd(), m_path);
}

void LogFollower::restart() {
  ::lseek(m_file->fd(), 0, SEEK_SET);
  m_reader = std::make_unique<LineReader>(m_file->fd(), m_path);
}

void LogFollower::decodeAppended(PacketSink& sink, bool toTheEnd) {
  LogLine line;
  while (toTheEnd ? m_reader->next(line) : m_reader->nextComplete(line)) {
    decodeLine(line, m_path, sink, m_shown);
  }
}

LogFollower::Change LogFollower::read(PacketSink& sink) {
  Change change = Change::None;
  struct stat now {};
  const bool named = ::stat(m_path.c_str(), &now) == 0;
  if (named && (now.st_dev != m_device || now.st_ino != m_inode)) {
    // Rotated: what the old file got before it was replaced is read to its end, a last line
    // without its end included, since nothing more will be written to it.
    decodeAppended(sink, true);
    open();
    sink.passStarted();
    change = Change::Replaced;
  } else {
    struct stat open {};
    // A file shorter than what was read of it has been truncated and is being written anew.
    if (::fstat(m_file->fd(), &open) == 0 && open.st_size < ::lseek(m_file->fd(), 0, SEEK_CUR)) {
      restart();
      sink.passStarted();
      change = Change::Truncated;
    }
  }
  decodeAppended(sink, false);
  return change;
}

}  // namespace twk
