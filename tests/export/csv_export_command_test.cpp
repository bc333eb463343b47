#include "export/csv_export_command.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QLabel>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>

#include "app/shell_fixture.h"
#include "ui/modal_boxes.h"
#include "ui/test_logs.h"

namespace twk {
namespace {

using test::readFile;

// What twk-csv writes for the logs, decoded as one load.
std::string converted(const std::vector<std::string>& logs, const test::TempDir& dir) {
  std::string command = std::string(TWK_CSV_PATH) + " -o " + dir.file("expected.csv");
  for (const std::string& log : logs) command += " " + log;
  if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
  return readFile(dir.file("expected.csv"));
}

class CsvExportCommandTest : public test::ShellTest {
 protected:
  std::string csvPath() const { return m_dir.file("twk_telemetry.csv"); }
  void exportCsv() {
    EXPECT_TRUE(test::answerBoxes([this] { m_shell->WriteCSVFile_Click(); }).empty());
  }
  test::TempDir m_expected;
};

TEST_F(CsvExportCommandTest, WritesWhatTheConverterWritesForTheCurrentLoad) {
  const std::string empty = test::writeLog("no_packets.log", {"# nothing received"});
  exportCsv();  // before any load: the header alone
  EXPECT_EQ(readFile(csvPath()), converted({empty}, m_expected));
  EXPECT_EQ(label3(), QString::fromStdString(csvPath()) + " has been written");

  // 100 packets, then a fresh load of 40: rows 41 to 100 still hold values but are not written.
  open({test::generatedLog(100, 21)});
  exportCsv();
  EXPECT_EQ(readFile(csvPath()), converted({test::generatedLog(100, 21)}, m_expected));
  open({test::generatedLog(40, 22)});
  exportCsv();
  const std::string written = readFile(csvPath());
  EXPECT_EQ(written, converted({test::generatedLog(40, 22)}, m_expected));
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 41);

  // Two files of one load and a dropped one after them, as one table.
  open({test::generatedLog(12, 1), test::generatedLog(9, 3)});
  m_window.Log_FileName = QString::fromStdString(test::generatedLog(21, 4));
  m_window.Decode_TextFile();
  exportCsv();
  EXPECT_EQ(readFile(csvPath()), converted({test::generatedLog(12, 1), test::generatedLog(9, 3),
                                            test::generatedLog(21, 4)},
                                           m_expected));
}

TEST_F(CsvExportCommandTest, TheHeaderIsTheCaptionsAsTheWindowHoldsThem) {
  m_window.findChild<QLabel*>(QStringLiteral("Label5(30)"))->setText(QStringLiteral("Spare"));
  m_window.findChild<QLabel*>(QStringLiteral("Label5(0)"))->setText(QStringLiteral("Time"));
  exportCsv();
  const std::string text = readFile(csvPath());
  EXPECT_TRUE(text.starts_with("Time;RAAC;Avg. Current;")) << text;
  EXPECT_TRUE(text.ends_with(";Subsystem Status;Spare;\r\n")) << text;
}

// Makes writes past a few bytes fail with EFBIG while it lives; works for root as well.
class FileSizeLimit {
 public:
  FileSizeLimit() {
    getrlimit(RLIMIT_FSIZE, &m_old);
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = m_old;
    small.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &small);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_oldHandler);
  }

 private:
  rlimit m_old{};
  void (*m_oldHandler)(int) = nullptr;
};

// Permission bits do not bind root: run as "nobody", the folder's owner, while it lives.
class AsNobody {
 public:
  explicit AsNobody(const std::filesystem::path& folder) {
    if (geteuid() != 0) return;
    if (chown(folder.c_str(), kNobody, kNobody) != 0 || seteuid(kNobody) != 0) {
      throw std::runtime_error("cannot act as nobody");
    }
    m_switched = true;
  }
  ~AsNobody() {
    if (m_switched && seteuid(0) != 0) std::abort();
  }

 private:
  static constexpr uid_t kNobody = 65534;
  bool m_switched = false;
};

TEST_F(CsvExportCommandTest, AFailedExportIsReportedAndKeepsTheOldFileAndLabel) {
  open({test::generatedLog(30, 5)});
  struct Case {
    const char* name;
    std::function<std::string()> prepare;  // returns the folder to write to
    std::string reason;
  };
  const std::string old = "the old contents;\r\n";
  const Case cases[] = {
      {"read-only folder",
       [&] {
         m_dir.write("twk_telemetry.csv", old);
         std::filesystem::permissions(m_dir.path(), std::filesystem::perms::owner_write,
                                      std::filesystem::perm_options::remove);
         return m_dir.path().string();
       },
       std::strerror(EACCES)},
      {"missing folder", [&] { return m_dir.file("not_there"); }, std::strerror(ENOENT)},
      {"file too large",
       [&] {
         m_dir.write("twk_telemetry.csv", old);
         return m_dir.path().string();
       },
       std::strerror(EFBIG)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString folder = QString::fromStdString(c.prepare());
    CsvExportCommand command(m_window, folder);
    const QString before = label3();
    std::vector<test::SeenBox> boxes;
    {
      std::optional<FileSizeLimit> limit;
      std::optional<AsNobody> nobody;
      if (c.reason == std::strerror(EFBIG)) limit.emplace();
      if (c.reason == std::strerror(EACCES)) nobody.emplace(m_dir.path());
      boxes = test::answerBoxes([&] { command.WriteCSVFile_Click(); });
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains(command.path())) << boxes[0].text.toStdString();
    EXPECT_TRUE(boxes[0].text.contains(QString::fromStdString(c.reason)))
        << boxes[0].text.toStdString();
    EXPECT_EQ(boxes[0].buttons, QMessageBox::Ok);
    EXPECT_EQ(label3(), before);
    std::filesystem::permissions(m_dir.path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
    if (std::filesystem::exists(csvPath())) {
      EXPECT_EQ(readFile(csvPath()), old);
    }
    // Nothing half-written is left beside it.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_dir.path())) {
      ++files;
    }
    EXPECT_EQ(files, std::filesystem::exists(csvPath()) ? 1 : 0);
  }
}

}  // namespace
}  // namespace twk
