#include "intake/log_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/error.h"

namespace twk {

LogFile::LogFile(const std::string& path)
    : m_name(path == "-" ? std::string(kStdinName) : path),
      m_fd(path == "-" ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC)),
      m_owned(path != "-") {
  if (m_fd < 0) throw Error(ErrorKind::OpenFailed, m_name, 0, systemReason(errno));
  struct stat info {};
  if (::fstat(m_fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    if (m_owned) ::close(m_fd);
    throw Error(ErrorKind::OpenFailed, m_name, 0, systemReason(EISDIR));
  }
}

LogFile::~LogFile() {
  if (m_owned) ::close(m_fd);
}

}  // namespace twk
