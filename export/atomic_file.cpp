#include "export/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <utility>

#include "core/error.h"

namespace twk {
namespace {

std::string nameOf(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

// A hidden name beside the target that is not taken yet, most likely. Not mkostemp's: it
// creates its file readable by the owner only, where a new CSV file gets the mode any new file
// gets (0666 less the umask), and linkUnder needs a name that does not exist yet.
std::string temporaryName(const std::string& folder, const std::string& name) {
  static thread_local std::minstd_rand random(std::random_device{}());
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string path = folder + "/." + name + ".";
  for (int i = 0; i < 6; ++i) path += kLetters[random() % (sizeof kLetters - 1)];
  return path;
}

constexpr int kTries = 100;

// The signals that end a program by default and would leave a named temporary file behind. Its
// path is kept where a handler can reach it; one such file at a time is looked after.
constexpr std::array kEndingSignals = {SIGINT, SIGTERM, SIGHUP, SIGXFSZ};
char g_tempPath[PATH_MAX + 1];
volatile sig_atomic_t g_tempOwned = 0;
std::array<bool, kEndingSignals.size()> g_handled{};

extern "C" void removeTempAndEnd(int signal) {
  if (g_tempOwned != 0) ::unlink(g_tempPath);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

bool removeOnSignals(const std::string& path) {
  if (g_tempOwned != 0 || path.size() > PATH_MAX) return false;
  std::memcpy(g_tempPath, path.c_str(), path.size() + 1);
  g_tempOwned = 1;
  for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
    struct sigaction now {};
    ::sigaction(kEndingSignals[i], nullptr, &now);
    // A signal the program handles or ignores itself is left to it.
    g_handled[i] = now.sa_handler == SIG_DFL;
    if (g_handled[i]) std::signal(kEndingSignals[i], removeTempAndEnd);
  }
  return true;
}

void forgetOnSignals() {
  for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
    if (g_handled[i]) std::signal(kEndingSignals[i], SIG_DFL);
    g_handled[i] = false;
  }
  g_tempOwned = 0;
}

// Holds back the ending signals for the moment a temporary name exists during commit.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (const int signal : kEndingSignals) sigaddset(&held, signal);
    ::pthread_sigmask(SIG_BLOCK, &held, &m_before);
  }
  ~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &m_before, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t m_before;
};

}  // namespace

std::string folderOf(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  return folder.empty() ? "." : folder.string();
}

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
    m_inPlace = true;
    m_fd = ::open(m_path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (m_fd < 0) fail(errno);
    return;
  }

  struct stat link {};
  if (exists && ::lstat(m_path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(m_path.c_str(), resolved) != nullptr) m_target = resolved;
  }
  const std::string folder = folderOf(m_target);
  // Created with 0666 less the umask by the system, as a new file would be: nothing here needs
  // to read the umask, which only changing it can do.
  m_fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (m_fd < 0) createNamed(folder, nameOf(m_target));
  if (exists && ::fchmod(m_fd, info.st_mode & 07777) != 0) fail(errno);
}

// The file system has no unnamed files: a hidden one beside the target.
void AtomicFile::createNamed(const std::string& folder, const std::string& name) {
  for (int i = 0; i < kTries && m_fd < 0; ++i) {
    const std::string temp = temporaryName(folder, name);
    m_fd = ::open(temp.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    if (m_fd >= 0) {
      m_temp = temp;
    } else if (errno != EEXIST) {
      fail(errno);
    }
  }
  if (m_fd < 0) fail(EEXIST);
  m_onSignals = removeOnSignals(m_temp);
}

AtomicFile::~AtomicFile() {
  discard();
}

void AtomicFile::write(std::string_view data) {
  if (const int failure = writeAll(m_fd, data)) fail(failure);
  m_written += data.size();
  // Start the disk writes of what is written so far, so that commit's flush has little left to
  // wait for. A hint only: whether it worked, fdatasync tells.
  if (!m_inPlace && m_written - m_writebackFrom >= kWritebackStep) {
    ::sync_file_range(m_fd, static_cast<off_t>(m_writebackFrom),
                      static_cast<off_t>(m_written - m_writebackFrom), SYNC_FILE_RANGE_WRITE);
    m_writebackFrom = m_written;
  }
}

// Gives the unnamed file a temporary name in folder; returns 0 or the errno of the failure.
int AtomicFile::linkUnder(const std::string& folder, const std::string& name) {
  const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
  for (int i = 0; i < kTries; ++i) {
    const std::string temp = temporaryName(folder, name);
    int linked = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW);
    if (linked != 0 && errno == ENOENT) {  // no /proc: needs a privilege, but try
      linked = ::linkat(m_fd, "", AT_FDCWD, temp.c_str(), AT_EMPTY_PATH);
    }
    if (linked == 0) {
      m_temp = temp;
      return 0;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

void AtomicFile::commit() {
  if (m_inPlace) {
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) fail(errno);
    return;
  }
  if (::fdatasync(m_fd) != 0) fail(errno);
  const std::string folder = folderOf(m_target);
  {
    // From here to the rename a temporary name exists; a signal waits until it is gone.
    const SignalsHeld held;
    if (m_temp.empty()) {
      if (const int failure = linkUnder(folder, nameOf(m_target))) fail(failure);
    }
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0) fail(errno);
    m_temp.clear();
    if (std::exchange(m_onSignals, false)) forgetOnSignals();
  }
  const int fd = m_fd;
  m_fd = -1;
  if (::close(fd) != 0) fail(errno);
  // The rename is in the folder's data: without this sync a power cut can undo it.
  const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    const int synced = ::fsync(folderFd);
    const int failure = errno;
    ::close(folderFd);
    if (synced != 0 && failure != EINVAL) fail(failure);
  }
}

void AtomicFile::fail(int errnoValue) {
  discard();
  throw Error(ErrorKind::WriteFailed, m_path, 0, systemReason(errnoValue));
}

void AtomicFile::discard() noexcept {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  if (!m_temp.empty()) ::unlink(m_temp.c_str());
  if (std::exchange(m_onSignals, false)) forgetOnSignals();
  m_temp.clear();
}

}  // namespace twk
