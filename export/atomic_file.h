#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace twk {

// Writes a file so that it is replaced only when complete: the text goes to a temporary file in
// the target's folder, which commit() renames over the target. Until then, and when anything
// fails, the target keeps its old contents and the temporary file is removed. A target that
// exists and is not a regular file (a device, a pipe) is written in place instead. A symbolic
// link is followed, so the file it names is replaced and the link stays.
class AtomicFile {
 public:
  explicit AtomicFile(std::string path);  // throws Error (WriteFailed)
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  void write(std::string_view data);  // throws Error (WriteFailed)
  void commit();                      // throws Error (WriteFailed)

 private:
  void fail(int errnoValue);
  void discard() noexcept;

  std::string m_path;    // as the caller named it, for messages
  std::string m_target;  // the file that is replaced
  std::string m_temp;    // empty when writing in place
  int m_fd = -1;
  static constexpr std::uint64_t kWritebackStep = 8 << 20;
  std::uint64_t m_written = 0;        // bytes written so far
  std::uint64_t m_writebackFrom = 0;  // the first byte whose writeback was not started
};

// Writes all of data to fd, retrying short writes; returns 0 or the errno of the failure.
int writeAll(int fd, std::string_view data);

}  // namespace twk
