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

// What a shell command writes to standard output, kept as file; a failure is noted after it.
std::string run(const std::string& command, const std::string& file) {
  const bool failed = std::system((command + " >'" + file + "'").c_str()) != 0;
  return test::readFile(file) + (failed ? "\n(exit status not 0)" : "");
}

// Empty when actual is as expected; else where actual was kept and the diff against expected.
std::string mismatch(const std::string& expected, const std::string& actual,
                     const std::string& name) {
  if (actual == test::readFile(expected)) return {};
  const std::string kept = fs::path(TWK_GOLDEN_OUTPUT_DIR) / (name + ".actual.csv");
  std::ofstream(kept, std::ios::binary) << actual;
  return kept + " differs:\n" + run("diff -u '" + expected + "' '" + kept + "'", kept + ".diff");
}

class GoldenTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenTest, CoreAndTwkCsvGiveTheExpectedBytes) {
  const std::string log = std::string(TWK_GOLDEN_DATA_DIR) + "/" + GetParam() + ".log";
  const std::string expected = fs::path(log).replace_extension(".expected.csv");
  fs::create_directories(TWK_GOLDEN_OUTPUT_DIR);
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
  const std::string converted =
      run("LC_ALL=C '" TWK_CSV_PATH "' '" + log + "'",
          fs::path(TWK_GOLDEN_OUTPUT_DIR) / (GetParam() + ".twk-csv.csv"));
  EXPECT_EQ(mismatch(expected, converted, GetParam() + ".twk-csv"), "");
}

TEST(GoldenCases, AreFound) {
  EXPECT_GE(goldenCases().size(), 10u);
}

INSTANTIATE_TEST_SUITE_P(Logs, GoldenTest, ::testing::ValuesIn(goldenCases()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace twk
