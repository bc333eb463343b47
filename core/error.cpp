#include "core/error.h"

#include <cstring>

namespace twk {
namespace {

std::string describe(const std::string& file, std::uint64_t line, const std::string& reason) {
  std::string text = file;
  if (line > 0) {
    text += ':';
    text += std::to_string(line);
  }
  text += ": ";
  text += reason;
  return text;
}

}  // namespace

Error::Error(ErrorKind kind, std::string file, std::uint64_t line, std::string reason)
    : std::runtime_error(describe(file, line, reason)),
      m_kind(kind),
      m_file(std::move(file)),
      m_line(line),
      m_reason(std::move(reason)) {}

std::string systemReason(int errnoValue) {
  char buffer[256];
  // The GNU strerror_r returns the text, which may or may not be in buffer.
  return strerror_r(errnoValue, buffer, sizeof buffer);
}

}  // namespace twk
