// twk-csv -f against a log written while it runs: a row comes out as soon as its line is
// complete, a line that cannot be stored or read whole is reported and passed, and SIGTERM ends
// it with every complete row written. Truncation and rotation are the follower's, checked in
// tests/intake.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "log_text.h"
#include "temp_dir.h"

namespace twk {
namespace {

TEST(TwkCsvFollow, EachRowComesOnceItsLineIsCompleteAndSigtermEndsIt) {
  const test::TempDir dir;
  std::string lines[4];
  for (int i = 0; i < 4; ++i) lines[i] = test::telemetryLine(test::word(35, i + 1u)) + "\r\n";
  const std::string tooLong = test::telemetryLine({}, 150) + "\n";
  // Begun after a look, past 65,535 characters at the next, and ended at the one after.
  const std::string tooWide = test::telemetryLine({}, 12) + std::string(90000, '0') + "\r\n";
  const std::string log = dir.write("pass.log", tooLong + lines[0]);
  // The shell writes its process id, then becomes twk-csv.
  FILE* csv =
      ::popen(("echo $$; exec " TWK_CSV_PATH " -f " + log + " 2>" + dir.file("err")).c_str(), "r");
  ASSERT_NE(csv, nullptr);
  // Whether done() comes true within ten seconds.
  const auto eventually = [](const auto& done) {
    for (int tries = 0; tries < 1000; ++tries, ::usleep(10000)) {
      if (done()) return true;
    }
    return false;
  };
  std::string out;
  // Reads until out holds count lines or ten seconds have passed; the lines it holds.
  const auto readLines = [&](long count) {
    pollfd ready{::fileno(csv), POLLIN, 0};
    eventually([&] {
      char buffer[4096];
      const ssize_t got = ::poll(&ready, 1, 0) > 0 ? ::read(ready.fd, buffer, sizeof buffer) : 0;
      if (got > 0) out.append(buffer, static_cast<std::size_t>(got));
      return std::count(out.begin(), out.end(), '\n') >= count;
    });
    return std::count(out.begin(), out.end(), '\n');
  };
  const auto append = [&log](const std::string& text) {
    std::ofstream(log, std::ios::app | std::ios::binary) << text;
  };

  EXPECT_EQ(readLines(3), 3);  // the process id, the header, the first row
  const std::string proc = "/proc/" + out.substr(0, out.find('\n'));
  // Whether twk-csv has read the log to its end.
  const auto readToEnd = [&] {
    const std::string end = "pos:\t" + std::to_string(std::filesystem::file_size(log)) + "\n";
    for (const auto& fd : std::filesystem::directory_iterator(proc + "/fd")) {
      std::error_code error;
      if (std::filesystem::read_symlink(fd, error) == log &&
          test::readFile(proc + "/fdinfo/" + fd.path().filename().string()).starts_with(end)) {
        return true;
      }
    }
    return false;
  };
  append(lines[1] + tooLong + lines[2].substr(0, 60));
  EXPECT_EQ(readLines(4), 4);  // the second row, while the third line is half written
  append(lines[2].substr(60) + tooWide.substr(0, 70000));
  EXPECT_EQ(readLines(5), 5);
  append(tooWide.substr(70000, 10));
  EXPECT_TRUE(eventually(readToEnd));
  append(tooWide.substr(70010) + lines[3]);
  EXPECT_EQ(readLines(6), 6);
  std::filesystem::copy_file(log, dir.file("all.log"));
  // Rotated three times, the old files kept: one watch stays on the log, one on its folder.
  const auto notes = [&dir] {
    const std::string err = test::readFile(dir.file("err"));
    return std::count(err.begin(), err.end(), '\n');
  };
  for (int i = 1; i <= 3; ++i) {
    const long before = notes();
    std::filesystem::rename(log, log + "." + std::to_string(i));
    dir.write("pass.log", "");
    EXPECT_TRUE(eventually([&] { return notes() > before; }));
  }
  int watches = 0;
  for (const auto& entry : std::filesystem::directory_iterator(proc + "/fdinfo")) {
    const std::string info = test::readFile(entry.path().string());
    for (std::size_t at = 0; (at = info.find("inotify wd:", at)) != std::string::npos; ++at)
      ++watches;
  }
  EXPECT_EQ(watches, 2);
  ::kill(std::stoi(out), SIGTERM);
  const int status = ::pclose(csv);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  // Each line skipped, then each replacement, noted in turn.
  const std::string at = "twk-csv: " + log;
  const std::string digits =
      ": line too long: 302 hex digits after un-escaping (at most 301 fit); line skipped\n";
  const std::string replaced = at + ": replaced, reading the new file from its start\n";
  EXPECT_EQ(test::readFile(dir.file("err")),
            at + ":1" + digits + at + ":4" + digits + at +
                ":6: line too long: 90026 characters besides blanks (at most 65535 are read); line "
                "skipped\n" +
                replaced + replaced + replaced);

  // The same rows as the batch converter's, reading on past the same lines.
  const std::string batch =
      TWK_CSV_PATH " -k -o " + dir.file("all.csv") + " " + dir.file("all.log");
  ASSERT_NE(std::system((batch + " 2>/dev/null").c_str()), 0);
  EXPECT_EQ(out.substr(out.find('\n') + 1), test::readFile(dir.file("all.csv")));
}

}  // namespace
}  // namespace twk
