// twk-csv --follow against a log written while it runs: each complete line's row appears once,
// in order, through bursts that end inside a line, truncation and rotation; SIGTERM ends it
// with every complete row written.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>

#include "log_text.h"
#include "temp_dir.h"

namespace twk {
namespace {

// twk-csv -f LOG, its standard output read as it comes.
class Follower {
 public:
  explicit Follower(const std::string& log) {
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe");
    m_pid = ::fork();
    if (m_pid == 0) {
      ::dup2(out[1], STDOUT_FILENO);
      ::close(out[0]);
      ::execl(TWK_CSV_PATH, TWK_CSV_PATH, "-f", log.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(out[1]);
    m_out = out[0];
  }
  ~Follower() {
    if (m_pid > 0) {
      ::kill(m_pid, SIGKILL);
      ::waitpid(m_pid, nullptr, 0);
    }
    ::close(m_out);
  }

  // Reads until the output holds lines lines or ten seconds have passed; returns the output.
  const std::string& waitForLines(std::size_t lines) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::count(m_text.begin(), m_text.end(), '\n') < std::ptrdiff_t(lines) &&
           std::chrono::steady_clock::now() < until) {
      pollfd ready{m_out, POLLIN, 0};
      if (::poll(&ready, 1, 100) <= 0) continue;
      char buffer[4096];
      const ssize_t got = ::read(m_out, buffer, sizeof buffer);
      if (got <= 0) break;
      m_text.append(buffer, std::size_t(got));
    }
    return m_text;
  }
  // Sends SIGTERM and returns the exit status.
  int stop() {
    ::kill(m_pid, SIGTERM);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t m_pid = 0;
  int m_out = -1;
  std::string m_text;
};

TEST(TwkCsvFollow, EachCompleteLineBecomesOneRowInOrderUntilSigterm) {
  const test::TempDir dir;
  const auto packet = [](int id) {
    return test::telemetryLine(test::word(35, static_cast<unsigned>(id))) + "\r\n";
  };
  const std::string path = dir.write("pass.log", packet(1));
  std::string all;  // every packet's line, in the order they should be read
  for (int id = 1; id <= 6; ++id) all += packet(id);
  const auto append = [&](const std::string& text) {
    std::ofstream(path, std::ios::app | std::ios::binary) << text;
  };

  Follower follower(path);
  follower.waitForLines(2);
  // A burst ending inside a line: a row of the half line would show in the comparison below.
  append(packet(2) + packet(3).substr(0, 60));
  follower.waitForLines(3);
  append(packet(3).substr(60));
  follower.waitForLines(4);
  std::ofstream(path, std::ios::trunc | std::ios::binary) << packet(4);  // the next pass
  follower.waitForLines(5);
  dir.write("rotated.log", packet(5));
  std::rename(dir.file("rotated.log").c_str(), path.c_str());
  follower.waitForLines(6);
  append(packet(6));
  const std::string rows = follower.waitForLines(7);
  EXPECT_EQ(follower.stop(), 0);

  const std::string expected = dir.file("expected.csv");
  const std::string command =
      std::string(TWK_CSV_PATH) + " -o " + expected + " " + dir.write("all.log", all);
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(rows, test::readFile(expected));
}

}  // namespace
}  // namespace twk
