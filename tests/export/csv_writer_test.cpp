#include "export/csv_writer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/error.h"
#include "temp_dir.h"

namespace twk {
namespace {

const std::string kHeader =
    "System time;RAAC;Avg. Current;Temp;Volts;Inst. Current;RAAC;Avg. Current;Temp;Volts;"
    "Inst. Current;SA1 ( +X );SA2 ( -X );SA3 ( -Y );SA4 ( +Y );SA5 ( -Z );SA6 ( +Z );"
    "3.3V Reg. Cur;5V Reg Cur;3.3V Reg Volts;5V Reg Volts;3.3V Reg Temp;5V Reg Temp;"
    "Controller Temp;Amplifier Temp;RSSI [dB];File System Pointer;Failed Packet Count;"
    "Comm RX Count;Subsystem Status;Label5;\r\n";

TEST(CsvWriter, HeaderAndRowLayout) {
  std::string text;
  appendCsvHeader(text, defaultCaptions());
  EXPECT_EQ(text, kHeader);

  ChannelRow row{};
  row[0] = 1234567;
  row[2] = 12.5;
  row[3] = -0.078125;
  row[25] = 0.25;
  row[28] = 4294967295.0;
  row[30] = 0.00001;
  text.clear();
  appendCsvRow(text, row, ".");
  EXPECT_EQ(text,
            "1234567;0;12.5;-0.078125;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0.25;0;0;"
            "4294967295;0;1E-05;\r\n");
  text.clear();
  appendCsvRow(text, row, ",");
  EXPECT_EQ(std::count(text.begin(), text.end(), ';'), 31);
  EXPECT_NE(text.find(";12,5;-0,078125;"), std::string::npos);
}

TEST(CsvWriter, FileIsReplacedWholeOrNotAtAll) {
  const test::TempDir dir;
  const std::string path = dir.write("twk_telemetry.csv", std::string(5000, 'x'));
  const std::vector<ChannelRow> rows(2, ChannelRow{});
  writeCsvFile(path, defaultCaptions(), rows, ".");
  const std::string zeros = "0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;\r\n";
  EXPECT_EQ(test::readFile(path), kHeader + zeros + zeros);

  writeCsvFile(path, defaultCaptions(), {}, ".");
  EXPECT_EQ(test::readFile(path), kHeader);

  const std::string inMissingFolder = dir.file("gone/twk_telemetry.csv");
  EXPECT_THROW(writeCsvFile(inMissingFolder, defaultCaptions(), rows, "."), Error);
  try {
    writeCsvFile(dir.path().string(), defaultCaptions(), rows, ".");
    ADD_FAILURE() << "a folder was written";
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::WriteFailed);
    EXPECT_EQ(e.reason(), "Is a directory");
  }
  EXPECT_EQ(test::readFile(path), kHeader);
  const auto files = std::distance(std::filesystem::directory_iterator(dir.path()), {});
  EXPECT_EQ(files, 1) << "a temporary file was left behind";
}

}  // namespace
}  // namespace twk
