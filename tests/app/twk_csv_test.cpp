// Runs the twk-csv program as a user would: exit statuses, messages, atomic output, locale.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <unistd.h>

#include <filesystem>
#include <random>

#include "log_text.h"
#include "temp_dir.h"

namespace twk {
namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

// Runs twk-csv with the shell words args; stdin from /dev/null unless args redirect it.
Outcome twkCsv(const std::string& args, const std::string& environment = "LC_ALL=C") {
  const test::TempDir dir;
  // The arguments come last, so a redirection among them wins over the capture.
  const std::string command = "env " + environment + " " + TWK_CSV_PATH + " >" + dir.file("out") +
                              " 2>" + dir.file("err") + " " + args;
  const int raw = std::system(("exec </dev/null; " + command).c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, test::readFile(dir.file("out")),
          test::readFile(dir.file("err"))};
}

std::string shellWord(const std::string& path) {
  return "'" + path + "'";
}

std::size_t countLines(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

class TwkCsv : public testing::Test {
 protected:
  test::TempDir dir;
  std::string good = dir.write("good.log", test::telemetryLine({{35, 1}}) + "\r\n" +
                                               test::telemetryLine({{35, 2}}) + "\r\n");
  std::string tooLong = dir.write("long.log", "note\r\n" + test::telemetryLine({{35, 3}}) + "\r\n" +
                                                  test::telemetryLine({}, 150) + "\r\n");
};

TEST_F(TwkCsv, UsageErrorsExitWithTwo) {
  for (const char* args : {"", "--bogus", "-o", "-x good.log"}) {
    const Outcome run = twkCsv(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_NE(run.err.find("Usage: twk-csv [-o FILE] LOG..."), std::string::npos) << args;
    EXPECT_TRUE(run.out.empty()) << args;
  }
  const Outcome help = twkCsv("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: twk-csv [-o FILE] LOG...\n", 0), 0u);
  const Outcome version = twkCsv("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("twk-csv 1.", 0), 0u);
}

TEST_F(TwkCsv, InputErrorsNameTheFileAndLine) {
  struct Case {
    std::string args;
    std::string message;
  };
  const Case cases[] = {
      {shellWord(dir.file("missing.log")),
       "twk-csv: " + dir.file("missing.log") + ": No such file or directory\n"},
      {shellWord(dir.path().string()), "twk-csv: " + dir.path().string() + ": Is a directory\n"},
      {shellWord(good) + " " + shellWord(tooLong),
       "twk-csv: " + tooLong +
           ":3: line too long: 302 hex digits after un-escaping (at most 301 fit)\n"},
  };
  for (const Case& c : cases) {
    const Outcome run = twkCsv(c.args);
    EXPECT_EQ(run.status, 1) << c.args;
    EXPECT_EQ(run.err, c.message) << c.args;
  }
}

TEST_F(TwkCsv, FilesAndStandardInputMakeOneLoad) {
  const Outcome run = twkCsv(shellWord(good) + " - " + shellWord(good) + " <" + shellWord(good));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(countLines(run.out), 7u);
  EXPECT_NE(run.out.find("\r\n0;256;"), std::string::npos);
  EXPECT_NE(run.out.find("\r\n0;512;"), std::string::npos);
  EXPECT_TRUE(run.err.empty());
}

TEST_F(TwkCsv, OutputFileIsReplacedOnlyWhenComplete) {
  const std::string out = dir.write("out.csv", "old contents\r\n");
  ::chmod(out.c_str(), 0640);

  Outcome run = twkCsv("-o " + shellWord(out) + " " + shellWord(good) + " " + shellWord(tooLong));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(test::readFile(out), "old contents\r\n");

  run = twkCsv("--output=" + shellWord(out) + " " + shellWord(good));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.out.empty());
  EXPECT_EQ(countLines(test::readFile(out)), 3u);
  struct stat info {};
  ::stat(out.c_str(), &info);
  EXPECT_EQ(info.st_mode & 0777, 0640u) << "the replaced file keeps its permissions";

  // Through a symbolic link the file it names is replaced and the link stays.
  const std::string link = dir.file("link.csv");
  std::filesystem::create_symlink(out, link);
  run = twkCsv("-o " + shellWord(link) + " " + shellWord(good) + " " + shellWord(good));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(countLines(test::readFile(out)), 5u);

  run = twkCsv("-o " + shellWord(dir.file("no/such/folder.csv")) + " " + shellWord(good));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "twk-csv: " + dir.file("no/such/folder.csv") + ": No such file or directory\n");

  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"good.log", "link.csv", "long.log", "out.csv"}))
      << "no temporary file is left behind";
}

TEST_F(TwkCsv, DevicesAreWrittenInPlaceAndWriteErrorsCount) {
  Outcome run = twkCsv("-o /dev/null " + shellWord(good));
  EXPECT_EQ(run.status, 0) << run.err;
  struct stat info {};
  ASSERT_EQ(::stat("/dev/null", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));

  run = twkCsv(shellWord(good) + " >/dev/full");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "twk-csv: standard output: No space left on device\n");
  run = twkCsv("-o /dev/full " + shellWord(good));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "twk-csv: /dev/full: No space left on device\n");
}

TEST_F(TwkCsv, DecimalSeparatorFollowsTheLocale) {
  // A German locale compiled into the test's folder, so the machine needs no generated locales.
  const std::string locales = dir.file("locales");
  std::filesystem::create_directory(locales);
  const std::string make =
      "localedef -i de_DE -f UTF-8 " + shellWord(locales + "/de_DE.UTF-8") + " >/dev/null 2>&1";
  ASSERT_EQ(std::system(make.c_str()), 0) << "localedef could not build de_DE.UTF-8";
  const std::string line = dir.write("half.log", test::telemetryLine(test::word(37, 0x00FF)));
  const Outcome german =
      twkCsv(shellWord(line), "LOCPATH=" + shellWord(locales) + " LC_ALL=de_DE.UTF-8");
  ASSERT_EQ(german.status, 0) << german.err;
  EXPECT_NE(german.out.find(";19,921875;"), std::string::npos) << german.out;
  const Outcome plain = twkCsv(shellWord(line));
  EXPECT_NE(plain.out.find(";19.921875;"), std::string::npos) << plain.out;
}

// Refusals that protect the user's files and say what was wrong: an output that is one of the
// inputs (under any name) is refused before anything is read, an unknown option is named, and an
// input without packets is reported while the load goes on.
TEST_F(TwkCsv, OptionsThatWouldHurtOrPuzzleTheUser) {
  const std::string original = test::readFile(good);
  std::filesystem::create_hard_link(good, dir.file("hard.log"));
  std::filesystem::create_symlink(good, dir.file("soft.log"));
  const std::string note = dir.write("note.txt", "no telemetry here\r\n");
  struct Case {
    std::string args;
    int status;
    std::string err;
  };
  const Case cases[] = {
      {"-o " + shellWord(good) + " " + shellWord(good), 2,
       "twk-csv: " + good + ": the output would overwrite an input\n"},
      {"-o " + shellWord(dir.file("hard.log")) + " " + shellWord(note) + " " + shellWord(good), 2,
       "twk-csv: " + dir.file("hard.log") + ": the output would overwrite an input\n"},
      {"-o " + shellWord(dir.file("soft.log")) + " - <" + shellWord(good), 2,
       "twk-csv: " + dir.file("soft.log") + ": the output would overwrite an input\n"},
      {"--frobnicate=1 " + shellWord(good), 2,
       "twk-csv: unknown option '--frobnicate'\nUsage: twk-csv [-o FILE] LOG...\n"},
      {"-f -o " + shellWord(dir.file("live.csv")) + " " + shellWord(good), 2,
       "twk-csv: --follow writes to standard output only, not with -o\n"},
      {"-f " + shellWord(good) + " " + shellWord(good), 2,
       "twk-csv: --follow follows one log file\n"},
      {"-x " + shellWord(good), 2,
       "twk-csv: unknown option '-x'\nUsage: twk-csv [-o FILE] LOG...\n"},
      {shellWord(note) + " " + shellWord(good) + " " + shellWord(note), 0,
       "twk-csv: " + note + ": no Tarnwick packets\ntwk-csv: " + note + ": no Tarnwick packets\n"},
  };
  for (const Case& c : cases) {
    const Outcome run = twkCsv(c.args);
    EXPECT_EQ(run.status, c.status) << c.args;
    EXPECT_EQ(run.err.substr(0, c.err.size()), c.err) << c.args;
    EXPECT_EQ(test::readFile(good), original) << c.args;
  }
}

}  // namespace
}  // namespace twk

namespace twk {
namespace {

// Inputs no station writes on purpose: each ends in a clear error or in the packets it holds.
TEST_F(TwkCsv, HostileInputs) {
  std::mt19937 random(5);
  std::string noise(1 << 16, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  std::string withNul = test::telemetryLine({{35, 0x4A}});
  withNul[106] = '\0';  // the low digit of byte 35: "4\0" reads as 4, so RAAC is 4 x 256
  std::string utf16 = "\xFF\xFE";
  for (const char c : test::readFile(good)) utf16 += std::string{c, '\0'};
  const std::string wide = test::telemetryLine({{35, 7}}, 40) + std::string(70000, ' ');

  struct Case {
    std::string name;
    std::string bytes;
    int status;
    std::size_t packets;
    std::string error;  // after "twk-csv: <path>"
  };
  const Case cases[] = {
      {"noise.bin", noise, 0, 0, ""},
      {"nul.log", withNul + "\r\n\0\0\0\r\n", 0, 1, ""},
      {"utf16.log", utf16, 0, 2, ""},
      {"wide.log", "note\r\n" + wide + "\r\n", 1, 0,
       ":2: line too long: " + std::to_string(wide.size()) +
           " characters (at most 65535 are read)\n"},
      {"blanks and ümlauts.log", test::readFile(good), 0, 2, ""},
  };
  for (const Case& c : cases) {
    const std::string path = dir.write(c.name, c.bytes);
    const Outcome run = twkCsv(shellWord(path));
    EXPECT_EQ(run.status, c.status) << c.name << ": " << run.err;
    if (c.status == 0) {
      EXPECT_EQ(countLines(run.out), c.packets + 1) << c.name;
      EXPECT_EQ(run.err, c.packets == 0 ? "twk-csv: " + path + ": no Tarnwick packets\n" : "")
          << c.name;
    } else {
      EXPECT_EQ(run.err, "twk-csv: " + path + c.error) << c.name;
    }
  }
  const Outcome nul = twkCsv(shellWord(dir.file("nul.log")));
  EXPECT_NE(nul.out.find("\r\n0;1024;"), std::string::npos) << nul.out;
  EXPECT_EQ(twkCsv(shellWord(dir.file("utf16.log"))).out, twkCsv(shellWord(good)).out);
}

TEST_F(TwkCsv, UnreadableFileAndFolderAsOutput) {
  const std::string secret = dir.write("secret.log", test::readFile(good));
  ::chmod(secret.c_str(), 0);
  ::chmod(dir.path().c_str(), 0755);
  // Root reads any file; the check then runs as the unprivileged user nobody.
  const std::string as =
      ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
  const Outcome run = twkCsv(shellWord(secret), "LC_ALL=C " + as);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "twk-csv: " + secret + ": Permission denied\n");

  const std::string folder = dir.file("out.csv");
  std::filesystem::create_directory(folder);
  const Outcome onFolder = twkCsv("-o " + shellWord(folder) + " " + shellWord(good));
  EXPECT_EQ(onFolder.status, 1);
  EXPECT_EQ(onFolder.err, "twk-csv: " + folder + ": Is a directory\n");
  EXPECT_TRUE(std::filesystem::is_empty(folder));
}

}  // namespace
}  // namespace twk
