#include "ui/csv_export_command.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QLabel>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "app/shell_fixture.h"

namespace twk {
namespace {

using test::generatedLog;
using test::readFile;

class CsvExportCommandTest : public test::ShellTest {
 protected:
  // What twk-csv writes for the logs, decoded as one load.
  std::string converted(const std::vector<std::string>& logs) const {
    std::string command = std::string(TWK_CSV_PATH) + " -o " + m_expected.file("expected.csv");
    for (const std::string& log : logs) command += " " + log;
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
    return readFile(m_expected.file("expected.csv"));
  }
  test::TempDir m_expected;
};

TEST_F(CsvExportCommandTest, WritesWhatTheConverterWritesForTheCurrentLoad) {
  EXPECT_TRUE(exportCsv().empty());  // before any load: the header alone
  EXPECT_EQ(readFile(csvPath()), converted({test::writeLog("none.log", {"# nothing received"})}));
  EXPECT_EQ(label3(), QString::fromStdString(csvPath()) + " has been written");

  // 100 packets, then a fresh load of 40: rows 41 to 100 still hold values but are not written.
  // Then two files of one load and a dropped one after them, as one table.
  const std::vector<std::vector<std::string>> loads = {
      {generatedLog(100, 21)}, {generatedLog(40, 22)}, {generatedLog(12, 1), generatedLog(9, 3)}};
  for (const std::vector<std::string>& load : loads) {
    open(load);
    std::vector<std::string> all = load;
    if (load.size() == 2) decode(all.emplace_back(generatedLog(21, 4)));
    EXPECT_TRUE(exportCsv().empty());
    const std::string written = readFile(csvPath());
    EXPECT_EQ(written, converted(all));
    if (count() == 40) {
      EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 41);
    }
  }

  // The header is the captions as the window holds them.
  control<QLabel>(QStringLiteral("Label5(30)"))->setText(QStringLiteral("Spare"));
  control<QLabel>(QStringLiteral("Label5(0)"))->setText(QStringLiteral("Time"));
  EXPECT_TRUE(exportCsv().empty());
  const std::string text = readFile(csvPath());
  const std::string header = text.substr(0, text.find('\n') + 1);
  EXPECT_TRUE(header.starts_with("Time;RAAC;Avg. Current;")) << header;
  EXPECT_TRUE(header.ends_with(";Subsystem Status;Spare;\r\n")) << header;
}

// While it lives, writes past 64 bytes fail with EFBIG (works for root as well), or, as
// permission bits do not bind root, the process acts as "nobody", the folder's owner.
class Restricted {
 public:
  Restricted(int error, const std::filesystem::path& folder) {
    getrlimit(RLIMIT_FSIZE, &m_old);
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = m_old;
    if (error == EFBIG) small.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &small);
    m_nobody = error == EACCES && geteuid() == 0;
    if (m_nobody && (chown(folder.c_str(), 65534, 65534) != 0 || seteuid(65534) != 0)) {
      throw std::runtime_error("cannot act as nobody");
    }
  }
  ~Restricted() {
    if (m_nobody && seteuid(0) != 0) std::abort();
    setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_oldHandler);
  }

 private:
  bool m_nobody = false;
  rlimit m_old{};
  void (*m_oldHandler)(int) = nullptr;
};

TEST_F(CsvExportCommandTest, AFailedExportIsReportedAndKeepsTheOldFileAndLabel) {
  open({generatedLog(30, 5)});
  const std::string old = "the old contents;\r\n";
  // A read-only folder, a missing one, a file too large, a folder where the file goes.
  for (const int error : {EACCES, ENOENT, EFBIG, EISDIR}) {
    SCOPED_TRACE(std::strerror(error));
    std::filesystem::remove(csvPath());
    if (error == EISDIR) {
      std::filesystem::create_directory(csvPath());
    } else {
      m_dir.write("twk_telemetry.csv", old);
    }
    if (error == EACCES) {
      std::filesystem::permissions(m_dir.path(), std::filesystem::perms::owner_write,
                                   std::filesystem::perm_options::remove);
    }
    CsvExportCommand command(
        m_window,
        QString::fromStdString(error == ENOENT ? m_dir.file("not_there") : m_dir.path().string()));
    const QString before = label3();
    std::vector<test::SeenBox> boxes;
    {
      Restricted restricted(error, m_dir.path());
      boxes = test::answerBoxes([&] { command.WriteCSVFile_Click(); });
    }
    std::filesystem::permissions(m_dir.path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains(command.path())) << boxes[0].text.toStdString();
    EXPECT_TRUE(boxes[0].text.contains(QString::fromUtf8(std::strerror(error))))
        << boxes[0].text.toStdString();
    EXPECT_EQ(boxes[0].buttons, QMessageBox::Ok);
    EXPECT_EQ(label3(), before);
    if (std::filesystem::is_regular_file(csvPath())) {
      EXPECT_EQ(readFile(csvPath()), old);
    } else if (std::filesystem::is_directory(csvPath())) {
      EXPECT_TRUE(std::filesystem::is_empty(csvPath()));
    }
    // Nothing half-written is left beside it.
    const auto files = std::distance(std::filesystem::directory_iterator(m_dir.path()), {});
    EXPECT_EQ(files, 1);
  }
}

}  // namespace
}  // namespace twk
