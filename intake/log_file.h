#pragma once

#include <string>
#include <string_view>

namespace twk {

// The name errors give standard input.
inline constexpr std::string_view kStdinName = "(standard input)";

// A log opened for reading: a file, or standard input for "-". Closes what it opened.
class LogFile {
 public:
  // Throws Error (OpenFailed) for a file that cannot be opened or is a folder.
  explicit LogFile(const std::string& path);
  ~LogFile();
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  int fd() const { return m_fd; }
  // The name errors give it: the path, or "(standard input)".
  const std::string& name() const { return m_name; }

 private:
  std::string m_name;
  int m_fd;
  bool m_owned;
};

}  // namespace twk
