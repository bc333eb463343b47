#include "intake/log_follower.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "core/error.h"

namespace twk {
namespace {

constexpr std::size_t kChunkSize = 256 * 1024;

}  // namespace

LogFollower::LogFollower(std::string path, unsigned catchUpThreads)
    : m_path(std::move(path)), m_catchUpThreads(catchUpThreads) {
  open();
}

LogFollower::~LogFollower() = default;

void LogFollower::open() {
  auto file = std::make_unique<LogFile>(m_path);
  struct stat info {};
  if (::fstat(file->fd(), &info) != 0) {
    throw Error(ErrorKind::OpenFailed, m_path, 0, systemReason(errno));
  }
  m_file = std::move(file);
  m_device = info.st_dev;
  m_inode = info.st_ino;
  // A pipe or a device is read as it comes: only a file can be emptied and written anew.
  m_regular = S_ISREG(info.st_mode);
  restart();
}

void LogFollower::restart() {
  if (m_regular && ::lseek(m_file->fd(), 0, SEEK_SET) != 0) {
    throw Error(ErrorKind::ReadFailed, m_path, 0, systemReason(errno));
  }
  m_reader = std::make_unique<ChunkReader>(m_file->fd(), kChunkSize);
  m_reader->follow();
  m_lines = 0;
  m_atStart = true;
}

// Compared with the bytes the reader was given, not with what the file held as the look ended: a
// station emptying the log at that moment would have changed that already, and the next pass
// would go unnoticed.
bool LogFollower::rewritten() const {
  const std::string_view last = m_reader->lastBytesRead();
  if (!m_regular || last.empty()) return false;
  std::array<char, ChunkReader::kLastBytesKept> now{};
  const auto end = static_cast<off_t>(m_reader->bytesRead());
  const ssize_t got =
      ::pread(m_file->fd(), now.data(), last.size(), end - static_cast<off_t>(last.size()));
  return got != static_cast<ssize_t>(last.size()) ||
         std::memcmp(now.data(), last.data(), last.size()) != 0;
}

// Each look reads what came since the last one ended, the drain of a replaced file too. What a
// file holds at the first look may be a day of passes: the pool reads it; a later look finds a
// few lines, decoded on this thread.
void LogFollower::readAppended(ChunkSink& sink) {
  ChunkPipeline pipeline(sink, m_atStart ? m_catchUpThreads : 1, kChunkSize);
  m_atStart = false;
  m_reader->setChunkSize(pipeline.chunkSize());
  pipeline.run(*m_reader, m_path, m_lines);
}

LogFollower::Change LogFollower::read(ChunkSink& sink) {
  Change change = Change::None;
  struct stat now {};
  const bool named = ::stat(m_path.c_str(), &now) == 0;
  if (named && (now.st_dev != m_device || now.st_ino != m_inode)) {
    // Rotated: what the old file got before it was replaced is read to its end, a last line
    // without its end included, since nothing more will be written to it.
    m_reader->stopFollowing();
    readAppended(sink);
    open();
    sink.passStarted();
    change = Change::Replaced;
  } else if (rewritten()) {
    // Shorter than what was read of it (its last bytes read are gone), or written anew to that
    // size or beyond: truncated, and being written from its start.
    restart();
    sink.passStarted();
    change = Change::Truncated;
  }
  readAppended(sink);
  return change;
}

}  // namespace twk
