#include "export/csv_follow.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "core/error.h"
#include "export/atomic_file.h"
#include "export/csv_converter.h"
#include "export/csv_writer.h"
#include "intake/log_follower.h"

namespace twk {
namespace {

constexpr int kFallbackCheckMs = 250;

// Change events for the log: its folder (a log replaced at its name) and the file itself.
class ChangeEvents {
 public:
  explicit ChangeEvents(const std::string& path) : m_path(path) {
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    const std::string folder = folderOf(path);
    if (m_fd < 0) return;
    constexpr auto kFolderEvents = IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_MODIFY;
    try {
      if (::inotify_add_watch(m_fd, folder.c_str(), kFolderEvents) < 0) throw cannotWatch(folder);
      watchFile();
    } catch (...) {
      ::close(m_fd);
      throw;
    }
  }
  ~ChangeEvents() {
    if (m_fd >= 0) ::close(m_fd);
  }
  ChangeEvents(const ChangeEvents&) = delete;
  ChangeEvents& operator=(const ChangeEvents&) = delete;

  // The file at the path was replaced: watch the new one instead of the old, which may live on
  // under another name and would keep its watch for as long as the program runs.
  void watchFile() {
    if (m_fd < 0) return;
    if (m_fileWatch >= 0) ::inotify_rm_watch(m_fd, m_fileWatch);
    m_fileWatch = ::inotify_add_watch(m_fd, m_path.c_str(), IN_MODIFY | IN_ATTRIB);
    // A file gone already was replaced again, which the folder's watch tells.
    if (m_fileWatch < 0 && errno != ENOENT) throw cannotWatch(m_path);
  }

  // Waits for a change, at most the fallback time; true when stopFd became readable.
  bool wait(int stopFd) {
    pollfd fds[2] = {{stopFd, POLLIN, 0}, {m_fd, POLLIN, 0}};
    const int got = ::poll(fds, m_fd >= 0 ? 2 : 1, kFallbackCheckMs);
    if (got > 0 && (fds[1].revents & POLLIN) != 0) {
      char events[4096];
      while (::read(m_fd, events, sizeof events) > 0) {
      }
    }
    return got > 0 && (fds[0].revents & POLLIN) != 0;
  }

 private:
  // A watch that cannot be set is an error: following on the fallback check alone would be slow
  // without a word.
  static Error cannotWatch(const std::string& path) {
    return Error(ErrorKind::OpenFailed, path, 0,
                 "cannot watch for changes: " + systemReason(errno));
  }

  std::string m_path;
  int m_fd = -1;
  int m_fileWatch = -1;
};

}  // namespace

std::uint64_t followLogAsCsv(const std::string& path, int out, std::string_view separator,
                             int stopFd, const std::function<void(const std::string&)>& note) {
  LogFollower follower(path);
  ChangeEvents events(path);
  const auto write = [out](std::string_view text) {
    if (const int failure = writeAll(out, text)) {
      throw Error(ErrorKind::WriteFailed, "standard output", 0, systemReason(failure));
    }
  };
  // Each chunk's rows are written as soon as it is decoded: catching up with a long log keeps
  // little in memory.
  CsvConverter rows(write, std::string(separator), {.skipped = [&note](const Error& error) {
                      note(error.what() + std::string("; line skipped"));
                    }});
  std::string header;
  appendCsvHeader(header, defaultCaptions());
  write(header);
  for (bool stop = false;;) {
    switch (follower.read(rows)) {
      case LogFollower::Change::None: break;
      case LogFollower::Change::Truncated:
        note(path + ": truncated, reading it again from its start");
        break;
      case LogFollower::Change::Replaced:
        note(path + ": replaced, reading the new file from its start");
        events.watchFile();
        break;
    }
    if (stop) return rows.packets();
    stop = events.wait(stopFd);
  }
}

}  // namespace twk
