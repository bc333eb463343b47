// Following a log: the input is a script played against a real file (appends of whole and
// partial lines, truncations, truncate-and-refill, replacement by a new file renamed over the
// path, writes the old file still gets after that, and the follower's looks). A model that knows
// the script says which lines the follower must give; their rows must be the same bytes as the
// straightforward decoder makes of them, nothing lost and nothing doubled, and each look must
// report the change the model expects. A line too long ends the following, as it ends it in the
// window and in twk-csv -f: the rows before it must be the same.
//
// Between two looks the follower sees only sizes and which file is at the path, so these scripts
// are not checked past the look that would have to tell (the model stops there):
// - the followed file truncated and refilled beyond the size of the last look, or rewritten to
//   the same size, when the result does not begin with what the last look saw: it reads as
//   appended;
// - the followed file truncated and then replaced: what the last look left of its last line is
//   given as that file's last line.
// A byte-order mark split across two looks is read as text; the script's lines hold ASCII only.

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "intake/log_follower.h"
#include "simple_csv.h"
#include "temp_dir.h"

namespace {

using namespace twk;

// The rows of the packets the follower gives, as twk-csv writes them.
struct RowSink : PacketSink {
  std::string rows;
  std::size_t lastRowStart = 0;
  PacketRow row{};

  void fileStarted(const std::string&) override {}
  bool hasRoom() const override { return true; }
  PacketRow& nextRow() override { return row; }
  void lineShown(std::string_view) override {}
  void packetStored() override {
    ChannelRow values;
    convertPacket(row, values);
    lastRowStart = rows.size();
    appendCsvRow(rows, values, ".");
  }
};

class Script {
 public:
  Script(const std::uint8_t* data, std::size_t size) : m_data(data), m_end(data + size) {}
  bool done() const { return m_data == m_end; }
  unsigned next() { return m_data == m_end ? 0 : *m_data++; }

  // One line with its line end: a telemetry line of up to 95 bytes after the header, or a note.
  std::string line() {
    const unsigned kind = next();
    const unsigned length = next() % 96;
    std::string text = (kind & 3) != 0 ? "C0 00 A0 86 58 30 54 57 4B 2D 31" : "# pass note";
    for (unsigned i = 0; i < length; ++i) {
      char pair[4];
      std::snprintf(pair, sizeof pair, " %02X", (kind * 37 + i * (length | 1)) & 0xFF);
      text += pair;
    }
    constexpr const char* kEnds[] = {"\n", "\n", "\r\n", "\r"};
    return text + kEnds[(kind >> 2) % 4];
  }

  std::string lines() {
    std::string text;
    for (unsigned count = 1 + next() % 4; count != 0; --count) text += line();
    return text;
  }

  // A few raw characters, line ends among them.
  std::string fragment() {
    std::string text;
    for (unsigned count = 1 + next() % 8; count != 0; --count) {
      text += static_cast<char>(next() & 0x7F);
    }
    return text;
  }

 private:
  const std::uint8_t* m_data;
  const std::uint8_t* m_end;
};

// The text up to and with its last line end.
std::string completeLines(const std::string& text) {
  const std::size_t end = text.find_last_of("\r\n");
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

// The rows the straightforward decoder makes of a text, up to a line too long, which ends it.
struct Decoded {
  std::string rows;
  bool failed = false;
};

Decoded decoded(const std::string& text) {
  static const int fd = ::memfd_create("expected", MFD_CLOEXEC);
  static const std::string path = "/proc/self/fd/" + std::to_string(fd);
  TWK_FUZZ_CHECK(fd >= 0 && ::ftruncate(fd, 0) == 0);
  TWK_FUZZ_CHECK(::pwrite(fd, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size()));
  const test::CsvRows expected = test::simpleCsvRows(path, ".");
  return {expected.rows, !expected.error.empty()};
}

void writeAll(int fd, const std::string& text) {
  TWK_FUZZ_CHECK(::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()));
}

int openNew(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
  TWK_FUZZ_CHECK(fd >= 0);
  return fd;
}

// The files of one script and what the model knows of them.
struct Files {
  std::string path;
  int pathFd = -1;         // the file at the path
  int oldFd = -1;          // the followed file, once another was renamed over the path
  std::string pathText;    // what the file at the path holds
  std::string oldText;     // what the followed file holds, once replaced
  std::string seen;        // what the followed file held at the last look
  bool truncated = false;  // the followed file was truncated since the last look
  std::string pending;     // the rest of a line written in part

  ~Files() {
    ::close(pathFd);
    if (oldFd >= 0) ::close(oldFd);
  }

  void append(std::string text) {
    text.insert(0, pending);
    pending.clear();
    writeAll(pathFd, text);
    pathText += text;
  }
  void truncate(std::size_t size) {
    size = std::min(size, pathText.size());
    TWK_FUZZ_CHECK(::ftruncate(pathFd, static_cast<off_t>(size)) == 0);
    pathText.resize(size);
    if (oldFd < 0) truncated = true;
  }
  void replace(const std::string& text) {
    const std::string fresh = path + ".next";
    const int fd = openNew(fresh);
    writeAll(fd, text);
    TWK_FUZZ_CHECK(::rename(fresh.c_str(), path.c_str()) == 0);
    if (oldFd < 0) {
      oldFd = pathFd;
      oldText = pathText;
    } else {
      ::close(pathFd);  // a file between two looks, which the follower never sees
    }
    pathFd = fd;
    pathText = text;
  }
  void appendToOld(const std::string& text) {
    if (oldFd < 0) return append(text);
    writeAll(oldFd, text);
    oldText += text;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const test::TempDir dir;
  Files files;
  files.path = dir.file("pass.log");
  files.pathFd = openNew(files.path);
  LogFollower follower(files.path);
  RowSink sink;
  std::string expected;   // the rows of the files given up, and of the followed one's lines
  bool finished = false;  // a line too long ended the following, and expected holds all

  // One look: what the model expects, then what the follower gives. False where the script ends:
  // a line too long ends following, and the model cannot tell what the follower should see.
  auto look = [&] {
    LogFollower::Change change = LogFollower::Change::None;
    bool oldFails = false;
    if (files.oldFd >= 0) {
      if (files.truncated) return false;
      const Decoded old = decoded(files.oldText);  // read to its end, a last open line included
      expected += old.rows;
      oldFails = old.failed;
      if (!oldFails) {
        ::close(files.oldFd);
        files.oldFd = -1;
        files.seen.clear();
        change = LogFollower::Change::Replaced;
      }
    } else if (files.pathText.size() < files.seen.size()) {
      const Decoded before = decoded(completeLines(files.seen));
      TWK_FUZZ_CHECK(!before.failed);
      expected += before.rows;
      files.seen.clear();
      change = LogFollower::Change::Truncated;
    } else if (files.pathText.compare(0, files.seen.size(), files.seen) != 0) {
      return false;
    }
    if (!oldFails) {
      files.seen = files.pathText;
      files.truncated = false;
    }
    try {
      TWK_FUZZ_CHECK(follower.read(sink) == change);
    } catch (const Error& e) {
      // The row of the line too long is stored but not written, as twk-csv does.
      TWK_FUZZ_CHECK(e.kind() == ErrorKind::LineTooLong);
      sink.rows.resize(sink.lastRowStart);
      if (!oldFails) {
        const Decoded now = decoded(completeLines(files.seen));
        TWK_FUZZ_CHECK(now.failed);
        expected += now.rows;
      }
      finished = true;
      return false;
    }
    TWK_FUZZ_CHECK(!oldFails);
    return true;
  };

  Script script(data, size);
  bool told = true;
  while (told && !script.done()) {
    switch (script.next() % 8) {
      case 0: files.append(script.lines()); break;
      case 1: {  // a line written in part; the rest comes first in the next append
        const std::string text = script.line();
        const std::size_t part = script.next() % text.size();
        files.append(text.substr(0, part));
        files.pending = text.substr(part);
        break;
      }
      case 2: files.append(script.fragment()); break;
      case 3: files.truncate(files.pathText.size() * script.next() / 256); break;
      case 4:
        files.truncate(files.pathText.size() * script.next() / 256);
        files.append(script.lines());
        break;
      case 5: files.replace(script.next() % 4 == 0 ? std::string() : script.lines()); break;
      case 6: files.appendToOld(script.lines()); break;
      default: told = look();
    }
  }
  if (told) look();
  if (!finished) {
    // The followed file's last open line waits for its end.
    const Decoded last = decoded(completeLines(files.seen));
    TWK_FUZZ_CHECK(!last.failed);
    expected += last.rows;
  }
  TWK_FUZZ_CHECK(sink.rows == expected);
  return 0;
}
