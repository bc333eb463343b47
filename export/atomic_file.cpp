#include "export/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "core/error.h"

namespace twk {
namespace {

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

mode_t newFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

int writeAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

AtomicFile::AtomicFile(std::string path) : m_path(std::move(path)), m_target(m_path) {
  struct stat info {};
  const bool exists = ::stat(m_path.c_str(), &info) == 0;
  if (exists && S_ISDIR(info.st_mode)) fail(EISDIR);
  if (exists && !S_ISREG(info.st_mode)) {
    m_fd = ::open(m_path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (m_fd < 0) fail(errno);
    return;
  }

  struct stat link {};
  if (exists && ::lstat(m_path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(m_path.c_str(), resolved) != nullptr) m_target = resolved;
  }
  std::string pattern = folderOf(m_target) + "/." + nameOf(m_target) + ".XXXXXX";
  m_fd = ::mkstemp(pattern.data());
  if (m_fd < 0) fail(errno);
  m_temp = pattern;
  const mode_t mode = exists ? (info.st_mode & 07777) : newFileMode();
  if (::fchmod(m_fd, mode) != 0) fail(errno);
}

AtomicFile::~AtomicFile() {
  discard();
}

void AtomicFile::write(std::string_view data) {
  if (const int failure = writeAll(m_fd, data)) fail(failure);
  m_written += data.size();
  // Start the disk writes of what is written so far, so that commit's flush has little left to
  // wait for. A hint only: whether it worked, fdatasync tells.
  if (!m_temp.empty() && m_written - m_writebackFrom >= kWritebackStep) {
    ::sync_file_range(m_fd, static_cast<off_t>(m_writebackFrom),
                      static_cast<off_t>(m_written - m_writebackFrom), SYNC_FILE_RANGE_WRITE);
    m_writebackFrom = m_written;
  }
}

void AtomicFile::commit() {
  if (m_temp.empty()) {
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) fail(errno);
    return;
  }
  if (::fdatasync(m_fd) != 0) fail(errno);
  const int fd = m_fd;
  m_fd = -1;
  if (::close(fd) != 0) fail(errno);
  if (::rename(m_temp.c_str(), m_target.c_str()) != 0) fail(errno);
  m_temp.clear();
}

void AtomicFile::fail(int errnoValue) {
  discard();
  throw Error(ErrorKind::WriteFailed, m_path, 0, systemReason(errnoValue));
}

void AtomicFile::discard() noexcept {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  if (!m_temp.empty()) ::unlink(m_temp.c_str());
  m_temp.clear();
}

}  // namespace twk
