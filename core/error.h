#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace twk {

enum class ErrorKind {
  OpenFailed,   // missing, unreadable, a folder
  ReadFailed,   // an I/O error while reading
  WriteFailed,  // an I/O error while writing (CSV output)
  LineTooLong,  // a telemetry line that does not fit 151 byte positions
  TableFull,    // a telemetry line past the "Packets held" of a load
  BadLimit,     // a line of the limits file that names no channel's limit
};

// A failure of the core, with what a user needs to find its cause: the kind, the file and,
// where one applies, the line number (counted from 1; 0 means none).
class Error : public std::runtime_error {
 public:
  Error(ErrorKind kind, std::string file, std::uint64_t line, std::string reason);

  ErrorKind kind() const { return m_kind; }
  const std::string& file() const { return m_file; }
  std::uint64_t line() const { return m_line; }
  const std::string& reason() const { return m_reason; }

 private:
  ErrorKind m_kind;
  std::string m_file;
  std::uint64_t m_line;
  std::string m_reason;
};

// The reason text of the system error errnoValue ("No such file or directory").
std::string systemReason(int errnoValue);

}  // namespace twk
