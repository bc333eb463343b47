// Whole logs against golden CSV files: every tests/data/<case>.log with a <case>.expected.csv
// beside it is decoded through the core library, as the window does, and through the twk-csv
// program; both must give the expected bytes exactly.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "export/csv_writer.h"
#include "intake/log_decoder.h"
#include "intake/packet_store.h"
#include "telemetry/channel_conversion.h"

namespace twk {
namespace {

namespace fs = std::filesystem;

const fs::path kDataDir = TWK_GOLDEN_DATA_DIR;
const fs::path kOutputDir = TWK_GOLDEN_OUTPUT_DIR;

std::vector<std::string> goldenCases() {
  std::vector<std::string> cases;
  for (const fs::directory_entry& entry : fs::directory_iterator(kDataDir)) {
    const fs::path& path = entry.path();
    if (path.extension() != ".log") continue;
    fs::path expected = path;
    expected.replace_extension(".expected.csv");
    if (fs::exists(expected)) cases.push_back(path.stem().string());
  }
  std::sort(cases.begin(), cases.end());
  return cases;
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string shellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

// Runs a shell command and returns what it wrote to standard output; status gets its exit code.
std::string runCommand(const std::string& command, int& status) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    status = -1;
    return out;
  }
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int raw = pclose(pipe);
  status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return out;
}

// The CSV text of one load of the log, built the way the window's export builds it.
std::string coreCsv(const fs::path& log) {
  PacketStore store;
  StoreSink sink(store);
  decodeLog(log.string(), sink);
  ChannelStore values;
  convertPackets(store, values);
  std::string out;
  appendCsvHeader(out, defaultCaptions());
  for (int p = 1; p <= store.Packet_Count; ++p) appendCsvRow(out, values.Channel_Values[p], ".");
  return out;
}

std::string twkCsvOutput(const fs::path& log, int& status) {
  return runCommand("LC_ALL=C " + shellQuoted(TWK_CSV_PATH) + " " + shellQuoted(log.string()),
                    status);
}

// Empty when actual is the expected text; otherwise keeps actual as <name>.actual.csv in the
// build tree and gives where it went and the unified diff against the expected file.
std::string describeMismatch(const fs::path& expectedPath, const std::string& expected,
                             const std::string& actual, const std::string& name) {
  if (actual == expected) return {};
  fs::create_directories(kOutputDir);
  const fs::path actualPath = kOutputDir / (name + ".actual.csv");
  std::ofstream(actualPath, std::ios::binary) << actual;
  int status = 0;
  const std::string diff = runCommand(
      "diff -u " + shellQuoted(expectedPath.string()) + " " + shellQuoted(actualPath.string()),
      status);
  std::ostringstream message;
  message << "output differs from " << expectedPath.string() << "; written to "
          << actualPath.string() << "\n"
          << diff;
  return message.str();
}

class GoldenTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenTest, CoreMatchesExpected) {
  const fs::path log = kDataDir / (GetParam() + ".log");
  const fs::path expectedPath = kDataDir / (GetParam() + ".expected.csv");
  const std::string expected = readFile(expectedPath);
  ASSERT_FALSE(expected.empty()) << expectedPath;

  std::string actual;
  ASSERT_NO_THROW(actual = coreCsv(log));
  const std::string mismatch = describeMismatch(expectedPath, expected, actual, GetParam());
  EXPECT_TRUE(mismatch.empty()) << mismatch;
}

TEST_P(GoldenTest, TwkCsvMatchesExpected) {
  const fs::path log = kDataDir / (GetParam() + ".log");
  const fs::path expectedPath = kDataDir / (GetParam() + ".expected.csv");
  const std::string expected = readFile(expectedPath);
  ASSERT_FALSE(expected.empty()) << expectedPath;

  int status = -1;
  const std::string actual = twkCsvOutput(log, status);
  EXPECT_EQ(status, 0) << TWK_CSV_PATH << " " << log;
  const std::string mismatch =
      describeMismatch(expectedPath, expected, actual, GetParam() + ".twk-csv");
  EXPECT_TRUE(mismatch.empty()) << mismatch;
}

TEST(GoldenCases, AreFound) {
  EXPECT_FALSE(goldenCases().empty()) << kDataDir;
}

std::string caseName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = info.param;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Logs, GoldenTest, ::testing::ValuesIn(goldenCases()), caseName);

}  // namespace
}  // namespace twk
