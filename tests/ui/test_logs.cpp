#include "ui/test_logs.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace twk::test {
namespace {

std::filesystem::path testDir() {
  static const std::filesystem::path dir = [] {
    auto d =
        std::filesystem::temp_directory_path() / ("twk_gui_tests_" + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

std::string hexByte(int value) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", value);
  return text;
}

}  // namespace

std::string telemetryLine(const std::vector<std::pair<int, int>>& bytes) {
  std::array<int, 83> frame{0x8C, 0x10, 0x33, 0x67, 0x58, 0x30, 0x54, 0x57, 0x4B, 0x2D, 0x31};
  for (const auto& [position, value] : bytes) frame.at(static_cast<std::size_t>(position)) = value;
  std::string line;
  for (std::size_t i = 0; i < frame.size(); ++i) {
    if (i > 0) line += ' ';
    const int b = frame[i];
    switch (b) {
      case 0xFF:
        line += "D7 DF";
        break;
      case 0xF8:
        line += "D7 D8";
        break;
      case 0xF9:
        line += "D7 D9";
        break;
      case 0xFA:
        line += "D7 DA";
        break;
      case 0xFB:
        line += "D7 DE";
        break;
      case 0xD7:
        line += "D7 D6";
        break;
      default:
        line += hexByte(b);
    }
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
  const std::filesystem::path path =
      testDir() / ("generated_" + std::to_string(packets) + "_" + std::to_string(seed) + ".log");
  if (!std::filesystem::exists(path)) {
    const std::string command = std::string(TWK_LOGGEN_PATH) + " --packets " +
                                std::to_string(packets) + " --seed " + std::to_string(seed) +
                                " -o " + path.string();
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
  }
  return path.string();
}

}  // namespace twk::test
