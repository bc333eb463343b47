#include "intake/log_follower.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/error.h"

namespace twk {

LogFollower::LogFollower(std::string path) : m_path(std::move(path)) {
  open();
}

LogFollower::~LogFollower() {
  if (m_fd >= 0) ::close(m_fd);
}

void LogFollower::open() {
  const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw Error(ErrorKind::OpenFailed, m_path, 0, systemReason(errno));
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    const int reason = S_ISDIR(info.st_mode) ? EISDIR : errno;
    ::close(fd);
    throw Error(ErrorKind::OpenFailed, m_path, 0, systemReason(reason));
  }
  if (m_fd >= 0) ::close(m_fd);
  m_fd = fd;
  m_device = info.st_dev;
  m_inode = info.st_ino;
  m_reader = std::make_unique<LineReader>(m_fd, m_path);
}

void LogFollower::restart() {
  ::lseek(m_fd, 0, SEEK_SET);
  m_reader = std::make_unique<LineReader>(m_fd, m_path);
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
    change = Change::Replaced;
  } else {
    struct stat open {};
    // A file shorter than what was read of it has been truncated and is being written anew.
    if (::fstat(m_fd, &open) == 0 && open.st_size < ::lseek(m_fd, 0, SEEK_CUR)) {
      restart();
      change = Change::Truncated;
    }
  }
  decodeAppended(sink, false);
  return change;
}

}  // namespace twk
