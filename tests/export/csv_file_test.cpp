#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "core/error.h"
#include "export/csv_writer.h"
#include "temp_dir.h"

namespace twk {
namespace {

// The file is replaced whole, keeping its permissions and a symbolic link to it; a failure
// leaves it as it was and nothing beside it.
TEST(CsvFile, ReplacedWholeOrNotAtAll) {
  const test::TempDir dir;
  const std::string target = dir.write("out.csv", "old");
  ::chmod(target.c_str(), 0640);
  const std::string link = dir.file("link.csv");
  std::filesystem::create_symlink(target, link);
  std::vector<ChannelRow> rows(3000);  // more than one chunk of text
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i].fill(double(i) / 7);
  std::string expected;
  appendCsvHeader(expected, defaultCaptions());
  for (const ChannelRow& row : rows) appendCsvRow(expected, row, ",");

  writeCsvFile(link, defaultCaptions(), rows, ",");
  EXPECT_EQ(test::readFile(target), expected);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  struct stat info {};
  ::stat(target.c_str(), &info);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  // A new file takes the mode any new file would.
  const mode_t umask = ::umask(027);
  writeCsvFile(dir.file("new.csv"), defaultCaptions(), rows, ",");
  ::umask(umask);
  ::stat(dir.file("new.csv").c_str(), &info);
  EXPECT_EQ(info.st_mode & 0777, 0640u);

  for (const std::string& path : {dir.file("gone/out.csv"), dir.path().string()})
    EXPECT_THROW(writeCsvFile(path, defaultCaptions(), rows, "."), Error) << path;
  EXPECT_EQ(test::readFile(target), expected);
  // Nothing beside out.csv, link.csv and new.csv.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);

  // The file is written beside the target, so a folder on another file system than the
  // temporary folder (memory, in /dev/shm) takes it too.
  struct stat shm {};
  ::stat(dir.path().c_str(), &info);
  if (::stat("/dev/shm", &shm) == 0 && shm.st_dev != info.st_dev) {
    const std::string there = "/dev/shm/twk-test-" + std::to_string(::getpid()) + ".csv";
    EXPECT_NO_THROW(writeCsvFile(there, defaultCaptions(), rows, ","));
    EXPECT_EQ(test::readFile(there), expected);
    std::filesystem::remove(there);
  }
}

}  // namespace
}  // namespace twk
