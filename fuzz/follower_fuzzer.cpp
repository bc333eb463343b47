// Following a log: the input is a script played against a real file (appends of whole and
// partial lines, truncations, truncate-and-refill, replacement by a new file renamed over the
// path, writes the old file still gets after that, and the follower's looks). A model that knows
// the script says which lines the follower must give; their rows must be the same bytes as the
// straightforward decoder makes of them, nothing lost and nothing doubled, and each look must
// report the change the model expects. A line too long is skipped and reported, as the window
// and twk-csv -f do, and following goes on: the reports must be those of the straightforward
// decoder reading on, with the same line numbers.
//
// Between two looks the follower sees which file is at the path and the last bytes it read of
// it (kLastBytes of them). The model plays what it then cannot tell apart as the follower reads
// it, so these scripts are checked to their end too:
// - the followed file rewritten (truncated and refilled, or written anew to any size at least
//   that of the last look) with the bytes before the end of the last look unchanged for
//   kLastBytes: it reads as appended, the lines it holds before that end never given;
// - the followed file truncated and then replaced: the old file is drained from where the last
//   look ended, so what that look left of its last line is given as that file's last line.
// A byte-order mark split across two looks is read as text; the script's lines hold ASCII only.

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "export/csv_converter.h"
#include "fuzz_check.h"
#include "intake/log_follower.h"
#include "simple_csv.h"
#include "temp_dir.h"

namespace {

using namespace twk;

// The name the model's texts are decoded under, and the follower's reports renamed to.
constexpr const char* kModelName = "pass.log";

// The rows of the packets the follower gives, as twk-csv writes them, and the lines it skips,
// named as the model names the log.
struct RowSink {
  test::CsvRows result;
  CsvConverter converter{[this](std::string_view rows) { result.rows += rows; },
                         ".",
                         {.skipped = [this](const Error& e) {
                           TWK_FUZZ_CHECK(e.kind() == ErrorKind::LineTooLong);
                           result.error +=
                               Error(e.kind(), kModelName, e.line(), e.reason()).what() +
                               std::string("\n");
                         }}};
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
    for (unsigned count = 1 + next() % 8; count != 0; --count)
      text += static_cast<char>(next() & 0x7F);
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

// As many bytes as the follower compares at each look: the end of what it read last.
constexpr std::size_t kLastBytes = 4096;

// Adds the rows and the reports of skipped lines the straightforward decoder makes of a text.
void decode(const std::string& text, test::CsvRows& into) {
  test::CsvRowsSink sink(into, ".", true);
  reference::decodeText(text, kModelName, sink);
}

void writeAll(int fd, const std::string& text) {
  TWK_FUZZ_CHECK(::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()));
}

int openNew(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
  TWK_FUZZ_CHECK(fd >= 0);
  return fd;
}

// The followed files live in memory where the system offers it (a tmpfs at /dev/shm): on a
// disk, each file renamed over another is written out first. The same path serves every input.
const std::string& followedPath() {
  static const std::string path = [] {
    if (::access("/dev/shm", W_OK) == 0) ::setenv("TMPDIR", "/dev/shm", 1);
    static const test::TempDir dir;
    return dir.file("pass.log");
  }();
  return path;
}

// The files of one script and what the model knows of them.
struct Files {
  std::string path = followedPath();
  int pathFd = openNew(path);  // the file at the path
  int oldFd = -1;              // the followed file, once another was renamed over the path
  std::string pathText;        // what the file at the path holds
  std::string oldText;         // what the followed file holds, once replaced
  std::string looked;          // what the followed file held at the last look
  std::string read;            // what the follower read of it since it began reading it
  std::string pending;         // the rest of a line written in part

  ~Files() {
    ::close(pathFd);
    ::close(oldFd);  // -1 when none
  }

  void append(std::string text) {
    text.insert(0, pending);
    pending.clear();
    writeAll(pathFd, text);
    pathText += text;
  }
  void truncate(std::size_t size) {
    TWK_FUZZ_CHECK(::ftruncate(pathFd, static_cast<off_t>(size)) == 0);
    pathText.resize(size);
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

// What the follower reads on from where the last look ended: the file's bytes past that end.
std::string readOn(const std::string& read, const std::string& looked, const std::string& now) {
  return read + (now.size() > looked.size() ? now.substr(looked.size()) : std::string());
}

// Whether the bytes that end what the last look saw are still there, as the follower compares.
bool lastBytesKept(const std::string& looked, const std::string& now) {
  const std::size_t count = std::min(looked.size(), kLastBytes);
  const std::size_t from = looked.size() - count;
  return now.size() >= looked.size() && now.compare(from, count, looked, from, count) == 0;
}

// Within 64 steps the files outgrow kLastBytes and go through every kind of change many times;
// what longer scripts add is mostly time per input.
constexpr int kMostSteps = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Files files;
  // What the file holds when following starts or starts again is read on the caller's thread,
  // and for one script in 256 (by a hash of all its bytes) on a pool, as the window and twk-csv
  // -f do. A pool's threads are started and ended for every catch-up, which under the
  // sanitizers costs ten times a script's own time; the catch-ups here are of one chunk, and
  // chunks on a pool are the converter entry point's work. A hash, not one byte, keeps that
  // share: libFuzzer keeps the scripts whose threads add coverage, mutates them further, and
  // finds a compared byte value at once, so with the last byte choosing, scripts asking for a
  // pool came to make a fifth of the corpus and half the time.
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
  const unsigned catchUpThreads = (hash >> 24) == 0x5A ? 2 : 1;
  LogFollower follower(files.path, catchUpThreads);
  // Kept from script to script, as twk-csv -f keeps its converter: making one costs more than
  // most scripts.
  static RowSink sink;
  sink.result = {};
  test::CsvRows expected;  // the rows and reports of the texts given up

  // One look: what the model expects, then what the follower gives.
  auto look = [&] {
    using enum LogFollower::Change;
    LogFollower::Change change = None;
    if (files.oldFd >= 0) {
      // Drained to its end, a last open line included, from where the last look ended.
      decode(readOn(files.read, files.looked, files.oldText), expected);
      ::close(std::exchange(files.oldFd, -1));
      change = Replaced;
    } else if (!lastBytesKept(files.looked, files.pathText)) {
      // Read again from its start; the open line of the last look is dropped.
      decode(completeLines(files.read), expected);
      change = Truncated;
    }
    // After a change the file at the path is read whole.
    files.read = change == None ? readOn(files.read, files.looked, files.pathText) : files.pathText;
    files.looked = files.pathText;
    TWK_FUZZ_CHECK(follower.read(sink.converter) == change);
  };

  Script script(data, size);
  for (int step = 0; step < kMostSteps && !script.done(); ++step) {
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
      default: look();
    }
  }
  look();
  // The followed file's last open line waits for its end.
  decode(completeLines(files.read), expected);
  TWK_FUZZ_CHECK(sink.result == expected);
  return 0;
}
