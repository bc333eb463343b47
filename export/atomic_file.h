#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace twk {

// Writes a file so that it is replaced only when complete. The text goes to a file without a
// name in the target's folder (O_TMPFILE), which commit() links in under a temporary name and
// renames over the target, syncing the folder so the new name survives a power cut. Until
// then, and when anything fails or a signal ends the program, the target keeps its old
// contents and nothing is left beside it. Where the file system has no unnamed files, a hidden
// temporary file is used instead, removed on failure and when SIGINT, SIGTERM, SIGHUP or
// SIGXFSZ ends the program. A target that exists and is not a regular file (a device, a pipe)
// is written in place instead. A symbolic link is followed, so the file it names is replaced
// and the link stays.
class AtomicFile {
 public:
  explicit AtomicFile(std::string path);  // throws Error (WriteFailed)
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  void write(std::string_view data);  // throws Error (WriteFailed)
  void commit();                      // throws Error (WriteFailed)

 private:
  void createNamed(const std::string& folder, const std::string& name);
  int linkUnder(const std::string& folder, const std::string& name);
  void fail(int errnoValue);
  void discard() noexcept;

  std::string m_path;    // as the caller named it, for messages
  std::string m_target;  // the file that is replaced
  bool m_inPlace = false;
  std::string m_temp;        // the named temporary file, while there is one
  bool m_onSignals = false;  // m_temp is removed when a signal ends the program
  int m_fd = -1;
  static constexpr std::uint64_t kWritebackStep = 8 << 20;
  std::uint64_t m_written = 0;        // bytes written so far
  std::uint64_t m_writebackFrom = 0;  // the first byte whose writeback was not started
};

// The folder that holds path: "." for a bare name, "/" for a name in the root.
std::string folderOf(const std::string& path);

// Writes all of data to fd, retrying short writes; returns 0 or the errno of the failure.
int writeAll(int fd, std::string_view data);

}  // namespace twk
