#include "reference/reference_decoder.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "intake/log_file.h"
#include "intake/telemetry_line.h"

namespace twk::reference {
namespace {

std::string readAll(const LogFile& file) {
  std::string bytes;
  char buffer[65536];
  for (ssize_t got; (got = ::read(file.fd(), buffer, sizeof buffer)) != 0;) {
    if (got < 0 && errno != EINTR)
      throw Error(ErrorKind::ReadFailed, file.name(), 1, systemReason(errno));
    if (got > 0) bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return bytes;
}

// UTF-8's mark is dropped; UTF-16 text becomes its characters, each outside ASCII a '?'.
std::string characters(const std::string& bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return bytes.substr(3);
  const bool little = bytes.starts_with("\xFF\xFE");
  if (!little && !bytes.starts_with("\xFE\xFF")) return bytes;
  std::string text;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    const unsigned unit = little ? second << 8 | first : first << 8 | second;
    text += unit < 0x80 ? static_cast<char>(unit) : '?';
  }
  return text;
}

// The escape table, each pair replaced all through the line in this order, then the blanks
// dropped.
std::string unescaped(std::string_view line) {
  std::string text(line);
  const std::pair<std::string_view, std::string_view> escapes[] = {
      {"D7 DF", "FF"}, {"D7 D8", "F8"}, {"D7 D9", "F9"},
      {"D7 DA", "FA"}, {"D7 DE", "FB"}, {"D7 D6", "D7"},
  };
  for (const auto& [from, to] : escapes) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
      text.replace(at, from.size(), to);
  }
  std::erase(text, ' ');
  return text;
}

// The value of a byte's hex text: its leading hex digits, else 0.
std::uint8_t byteValue(std::string_view pair) {
  const auto digit = [](char c) {
    const std::size_t at = std::string_view("0123456789ABCDEFabcdef").find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at < 16 ? at : at - 6);
  };
  if (pair.empty() || digit(pair[0]) < 0) return 0;
  if (pair.size() < 2 || digit(pair[1]) < 0) return static_cast<std::uint8_t>(digit(pair[0]));
  return static_cast<std::uint8_t>(digit(pair[0]) * 16 + digit(pair[1]));
}

void decodeLine(std::string_view line, const std::string& name, std::uint64_t number,
                PacketSink& sink) {
  if (line.substr(std::min<std::size_t>(12, line.size()), 20) != "58 30 54 57 4B 2D 31") return;
  const auto nonBlanks =
      static_cast<std::size_t>(line.size() - std::count(line.begin(), line.end(), ' '));
  const std::string shown = unescaped(line);
  // The byte loop writes positions 0 to L / 2 rounded half to even for a line of L characters
  // (those past its end 0); a line that reaches past position 150, or is too long to read, is
  // skipped.
  std::size_t last = shown.size() / 2;
  if (shown.size() % 2 == 1 && last % 2 == 1) ++last;
  if (nonBlanks > kMaxLineLength || last >= kBytePositions) {
    sink.lineSkipped(
        Error(ErrorKind::LineTooLong, name, number, lineTooLongReason(nonBlanks, shown.size())));
    return;
  }
  PacketBytes bytes{};  // the positions the channels read
  for (std::size_t i = 0; i < bytes.size() && 2 * i < shown.size(); ++i)
    bytes[i] = byteValue(shown.substr(2 * i, 2));
  sink.packetStored(bytes);
}

}  // namespace

void decodeLog(const std::string& path, PacketSink& sink) {
  const LogFile file(path);
  decodeText(readAll(file), file.name(), sink);
}

void decodeText(const std::string& bytes, const std::string& name, PacketSink& sink) {
  const std::string text = characters(bytes);
  std::uint64_t number = 0;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find_first_of("\r\n", at);
    if (end == std::string::npos) end = text.size();
    decodeLine(std::string_view(text).substr(at, end - at), name, ++number, sink);
    at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
}

}  // namespace twk::reference
