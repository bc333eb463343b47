#include "intake/log_decoder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/error.h"
#include "intake/line_decoder.h"
#include "intake/line_reader.h"

namespace twk {
namespace {

class FileCloser {
 public:
  FileCloser(int fd, bool owned) : m_fd(fd), m_owned(owned) {}
  ~FileCloser() {
    if (m_owned) ::close(m_fd);
  }
  FileCloser(const FileCloser&) = delete;
  FileCloser& operator=(const FileCloser&) = delete;

 private:
  int m_fd;
  bool m_owned;
};

std::string tooLongReason(std::uint64_t lengthAsRead, std::size_t shownLength) {
  if (lengthAsRead > kMaxLineLength) {
    return "line too long: " + std::to_string(lengthAsRead) + " characters (at most " +
           std::to_string(kMaxLineLength) + " are read)";
  }
  return "line too long: " + std::to_string(shownLength) +
         " hex digits after un-escaping (at most " + std::to_string(kMaxShownLength) + " fit)";
}

}  // namespace

void decodeLog(const std::string& path, PacketSink& sink) {
  const bool isStdin = path == "-";
  const std::string name = isStdin ? std::string(kStdinName) : path;
  const int fd = isStdin ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw Error(ErrorKind::OpenFailed, name, 0, systemReason(errno));
  const FileCloser closer(fd, !isStdin);
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    throw Error(ErrorKind::OpenFailed, name, 0, systemReason(EISDIR));
  }

  sink.fileStarted(path);
  LineReader reader(fd, name);
  LogLine line;
  std::string shown;
  while (reader.next(line)) decodeLine(line, name, sink, shown);
}

void decodeLine(const LogLine& line, const std::string& name, PacketSink& sink,
                std::string& shown) {
  if (!isTelemetryLine(line.text)) return;
  unescapeLine(line.text, shown);
  if (!sink.hasRoom()) {
    // The line that does not fit is shown, so the user sees where the load stopped.
    sink.lineShown(shown);
    throw Error(
        ErrorKind::TableFull, name, line.number,
        "packet table full: a load holds at most " + std::to_string(kMaxPackets) + " packets");
  }
  PacketRow& row = sink.nextRow();
  sink.lineShown(shown);
  const StoredBytes stored = storeLineBytes(shown, row);
  sink.packetStored();
  if (stored.tooLong || line.length > kMaxLineLength) {
    throw Error(ErrorKind::LineTooLong, name, line.number,
                tooLongReason(line.length, shown.size()));
  }
}

PacketRow& StoreSink::nextRow() {
  ++m_store.Packet_Count;
  return m_store.Packet_Bytes[static_cast<std::size_t>(m_store.Packet_Count)];
}

}  // namespace twk
