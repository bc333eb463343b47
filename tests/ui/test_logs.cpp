#include "ui/test_logs.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>

namespace twk::test {
namespace {

const std::filesystem::path& testDir() {
  static const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("twk_gui_tests_" + std::to_string(getpid()));
  static const bool made = [] {
    std::filesystem::create_directories(dir);
    // Each test process writes its own logs and takes them away when it ends.
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(dir, ignored);
    });
    return true;
  }();
  (void)made;
  return dir;
}

}  // namespace

std::string telemetryLine(const std::vector<std::pair<int, int>>& bytes) {
  static const std::map<int, const char*> kEscaped = {{0xFF, "D7 DF"}, {0xF8, "D7 D8"},
                                                      {0xF9, "D7 D9"}, {0xFA, "D7 DA"},
                                                      {0xFB, "D7 DE"}, {0xD7, "D7 D6"}};
  std::array<int, 83> frame{0x8C, 0x10, 0x33, 0x67, 0x58, 0x30, 0x54, 0x57, 0x4B, 0x2D, 0x31};
  for (const auto& [position, value] : bytes) frame.at(std::size_t(position)) = value;
  std::string line;
  for (const int b : frame) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", b);
    if (!line.empty()) line += ' ';
    line += kEscaped.contains(b) ? kEscaped.at(b) : hex;
  }
  return line;
}

std::string writeLog(const std::string& name, const std::vector<std::string>& lines) {
  const std::filesystem::path path = testDir() / name;
  std::ofstream out(path, std::ios::binary);
  for (const std::string& line : lines) out << line << "\r\n";
  if (!out) throw std::runtime_error("cannot write " + path.string());
  return path.string();
}

std::string generatedLog(int packets, int seed) {
  const std::string name = "generated_" + std::to_string(packets) + "_" + std::to_string(seed);
  const std::filesystem::path path = testDir() / (name + ".log");
  if (!std::filesystem::exists(path)) {
    const std::string command = std::string(TWK_LOGGEN_PATH) + " --packets " +
                                std::to_string(packets) + " --seed " + std::to_string(seed) +
                                " -o " + path.string();
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
  }
  return path.string();
}

}  // namespace twk::test
