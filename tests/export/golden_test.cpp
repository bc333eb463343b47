// Whole logs against golden CSV files: every tests/data/<case>.log with a <case>.expected.csv
// beside it is decoded through the core library, as the window does, and through the twk-csv
// program; both must give the expected bytes exactly. The expected files come from the
// independent reference decoder in tests/data/oracle.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "export/csv_writer.h"
#include "intake/log_decoder.h"
#include "telemetry/channel_conversion.h"
#include "temp_dir.h"

namespace twk {
namespace {

namespace fs = std::filesystem;

const fs::path kDataDir = TWK_GOLDEN_DATA_DIR;
const fs::path kOutputDir = TWK_GOLDEN_OUTPUT_DIR;

std::vector<std::string> goldenCases() {
  std::vector<std::string> cases;
  for (const fs::directory_entry& entry : fs::directory_iterator(kDataDir)) {
    fs::path expected = entry.path();
    if (expected.extension() != ".log") continue;
    if (fs::exists(expected.replace_extension(".expected.csv"))) {
      cases.push_back(entry.path().stem().string());
    }
  }
  std::sort(cases.begin(), cases.end());
  return cases;
}

// What a shell command wrote to standard output, and its exit status.
std::pair<std::string, int> run(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return {out, -1};
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int raw = pclose(pipe);
  return {out, WIFEXITED(raw) ? WEXITSTATUS(raw) : -1};
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

// Empty when actual is the expected text; otherwise keeps actual as <name>.actual.csv in the
// build tree and gives where it went and the unified diff against the expected file.
std::string mismatch(const fs::path& expectedPath, const std::string& actual,
                     const std::string& name) {
  if (actual == test::readFile(expectedPath.string())) return {};
  fs::create_directories(kOutputDir);
  const fs::path actualPath = kOutputDir / (name + ".actual.csv");
  std::ofstream(actualPath, std::ios::binary) << actual;
  return "output differs from " + expectedPath.string() + "; written to " + actualPath.string() +
         "\n" + run("diff -u '" + expectedPath.string() + "' '" + actualPath.string() + "'").first;
}

class GoldenTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenTest, CoreAndTwkCsvGiveTheExpectedBytes) {
  const fs::path log = kDataDir / (GetParam() + ".log");
  const fs::path expected = kDataDir / (GetParam() + ".expected.csv");
  ASSERT_FALSE(test::readFile(expected.string()).empty()) << expected;

  std::string core;
  ASSERT_NO_THROW(core = coreCsv(log));
  const std::string coreMismatch = mismatch(expected, core, GetParam());
  EXPECT_TRUE(coreMismatch.empty()) << coreMismatch;

  const auto [converted, status] =
      run(std::string("LC_ALL=C '") + TWK_CSV_PATH + "' '" + log.string() + "'");
  EXPECT_EQ(status, 0) << log;
  const std::string converterMismatch = mismatch(expected, converted, GetParam() + ".twk-csv");
  EXPECT_TRUE(converterMismatch.empty()) << converterMismatch;
}

TEST(GoldenCases, AreFound) { EXPECT_GE(goldenCases().size(), 10u) << kDataDir; }

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
