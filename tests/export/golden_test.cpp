// Whole logs against golden CSV files: every tests/data/<case>.log with a <case>.expected.csv
// beside it goes through the core, as the window decodes and exports it, and through twk-csv;
// both must give the expected bytes, which the reference decoder (tests/reference) gives too.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "export/csv_writer.h"
#include "intake/store_loader.h"
#include "simple_csv.h"
#include "telemetry/channel_conversion.h"
#include "temp_dir.h"

namespace twk {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> goldenCases() {
  std::vector<std::string> cases;
  for (const fs::directory_entry& entry : fs::directory_iterator(TWK_GOLDEN_DATA_DIR)) {
    fs::path expected = entry.path();
    if (expected.extension() == ".log" && fs::exists(expected.replace_extension(".expected.csv"))) {
      cases.push_back(entry.path().stem().string());
    }
  }
  std::sort(cases.begin(), cases.end());
  return cases;
}

std::string run(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[4096];
  for (std::size_t n; pipe != nullptr && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    out.append(buffer, n);
  }
  if (pipe != nullptr && pclose(pipe) != 0) out += "\n(exit status not 0)";
  return out;
}

// Empty when actual is as expected; else where actual was kept and the diff against expected.
std::string mismatch(const std::string& expected, const std::string& actual,
                     const std::string& name) {
  if (actual == test::readFile(expected)) return {};
  fs::create_directories(TWK_GOLDEN_OUTPUT_DIR);
  const std::string kept = fs::path(TWK_GOLDEN_OUTPUT_DIR) / (name + ".actual.csv");
  std::ofstream(kept, std::ios::binary) << actual;
  return kept + " differs:\n" + run("diff -u '" + expected + "' '" + kept + "'");
}

class GoldenTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenTest, CoreAndTwkCsvGiveTheExpectedBytes) {
  const std::string log = std::string(TWK_GOLDEN_DATA_DIR) + "/" + GetParam() + ".log";
  const std::string expected = fs::path(log).replace_extension(".expected.csv");
  PacketStore store(kMostPacketsHeld);
  test::LoadSink sink;
  ASSERT_NO_THROW(storeLog(log, sink, store, 0));
  std::string header;
  appendCsvHeader(header, defaultCaptions());
  std::string core = header;
  ChannelRow values;
  for (int p = 1; p <= store.count(); ++p) {
    convertPacket(store.bytes(p), values);
    appendCsvRow(core, values, ".");
  }
  EXPECT_EQ(mismatch(expected, core, GetParam()), "");
  // The expected bytes are also what the straightforward reference decoder gives.
  const std::string reference = header + test::simpleCsvRows(log, ".", true).rows;
  EXPECT_EQ(mismatch(expected, reference, GetParam() + ".reference"), "");
  const std::string converted = run(std::string("LC_ALL=C '") + TWK_CSV_PATH + "' '" + log + "'");
  EXPECT_EQ(mismatch(expected, converted, GetParam() + ".twk-csv"), "");
}

TEST(GoldenCases, AreFound) {
  EXPECT_GE(goldenCases().size(), 10u);
}

INSTANTIATE_TEST_SUITE_P(Logs, GoldenTest, ::testing::ValuesIn(goldenCases()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace twk
