// Latency of following a log: from the write of a beacon line to its packet shown in the window,
// and to its row written by twk-csv -f. Each repetition appends one line and times one packet,
// 100 repetitions; the median and the worst are what an operator feels during a pass.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/app_shell.h"
#include "ui/main_window.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string beacon(int id) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X %02X", (id >> 8) & 0xFF, id & 0xFF);
  std::string line = "C0 00 A0 86 58 30 54 57 4B 2D 31";
  for (int position = 11; position <= 82; ++position)
    line += position == 35 ? " " + std::string(text) : (position == 36 ? "" : " 00");
  return line + "\r\n";
}

std::string freshLog(const char* name) {
  const auto path = std::filesystem::temp_directory_path() / name;
  std::ofstream(path, std::ios::trunc) << beacon(0);
  return path.string();
}

void appendLine(const std::string& path, int id) {
  std::ofstream(path, std::ios::app | std::ios::binary) << beacon(id);
}

double worst(const std::vector<double>& v) {
  return *std::max_element(v.begin(), v.end());
}

// Each line timed on its own, 100 times: the median and the worst.
void latencyRuns(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMillisecond)
      ->UseManualTime()
      ->Iterations(1)
      ->Repetitions(100)
      ->ComputeStatistics("max", worst)
      ->ReportAggregatesOnly(true);
}

// The converter under test, stopped when the benchmark program ends.
struct Converter {
  pid_t pid = 0;
  ~Converter() {
    if (pid > 0) ::kill(pid, SIGTERM);
  }
};

void BM_FollowLatencyConverter(benchmark::State& state) {
  static const std::string log = freshLog("twk_follow_bench_csv.log");
  static int out = -1;
  static Converter converter;
  pid_t& pid = converter.pid;
  static int id = 0;
  static std::size_t rows = 0;
  if (pid == 0) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) std::abort();
    pid = ::fork();
    if (pid == 0) {
      ::dup2(pipeFds[1], STDOUT_FILENO);
      ::execl(TWK_CSV_PATH, TWK_CSV_PATH, "-f", log.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(pipeFds[1]);
    out = pipeFds[0];
  }
  const auto readRows = [&](std::size_t wanted) {
    char buffer[65536];
    while (rows < wanted) {
      pollfd ready{out, POLLIN, 0};
      if (::poll(&ready, 1, 5000) <= 0) std::abort();
      const ssize_t got = ::read(out, buffer, sizeof buffer);
      if (got <= 0) std::abort();
      rows += static_cast<std::size_t>(std::count(buffer, buffer + got, '\n'));
    }
  };
  readRows(2 + static_cast<std::size_t>(id));  // the header and the rows so far
  for (auto _ : state) {
    ++id;
    const auto start = Clock::now();
    appendLine(log, id);
    readRows(2 + static_cast<std::size_t>(id));
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
}
BENCHMARK(BM_FollowLatencyConverter)->Apply(latencyRuns);

void BM_FollowLatencyWindow(benchmark::State& state) {
  static const std::string log = freshLog("twk_follow_bench_window.log");
  static twk::MainWindow* window = nullptr;
  static twk::AppShell* shell = nullptr;
  static int id = 0;
  if (window == nullptr) {
    window = new twk::MainWindow;
    shell = new twk::AppShell(
        *window, [] { return std::nullopt; }, QString());
    window->show();
    shell->followCommand().follow(QString::fromStdString(log));
  }
  auto* position = window->findChild<QLabel*>(QStringLiteral("packetLabel"));
  for (auto _ : state) {
    ++id;
    const QString shown = QStringLiteral("%1/%1").arg(id + 1);
    const auto start = Clock::now();
    appendLine(log, id);
    // Until the panel shows the new packet and the window has painted it.
    while (position->text() != shown)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QCoreApplication::processEvents();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
}
BENCHMARK(BM_FollowLatencyWindow)->Apply(latencyRuns);

}  // namespace
