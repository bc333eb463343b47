// Runs twk-csv as a user would: exit statuses, messages, one load of several inputs, output
// replaced only when complete, the locale's decimal separator.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <tuple>

#include "log_text.h"
#include "temp_dir.h"

namespace twk {
namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

struct TwkCsv : testing::Test {
  // Runs twk-csv with the shell words args (a redirection among them wins over the capture).
  Outcome run(const std::string& args, const std::string& environment = "LC_ALL=C") const {
    const std::string command = "exec </dev/null; env " + environment + " " TWK_CSV_PATH " >" +
                                dir.file("out") + " 2>" + dir.file("err") + " " + args;
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, test::readFile(dir.file("out")),
            test::readFile(dir.file("err"))};
  }

  test::TempDir dir;
  std::string good = dir.write("good.log", test::telemetryLine({{35, 1}}) + "\r\n" +
                                               test::telemetryLine({{35, 2}}) + "\r\n");
  std::string bad = dir.write("bad.log", "note\r\n" + test::telemetryLine({}, 150) + "\r\n");
};

// Every refusal comes before anything is read: an output that is one of the inputs under any
// name would destroy it. An input without packets is only reported. --limits reports each packet
// and channel outside its limits once, with the most severe limit, and leaves the CSV as it is;
// the file's unreadable lines are reported and skipped.
TEST_F(TwkCsv, ExitStatusAndMessage) {
  const std::string folder = dir.path().string();
  const std::string original = test::readFile(good);
  std::filesystem::create_hard_link(good, dir.file("hard.log"));
  std::filesystem::create_symlink(good, dir.file("soft.log"));
  const std::string note = dir.write("note.txt", "no telemetry here\r\n");
  const std::string limits = dir.write("limits.ini",
                                       "[1]\nyellowHigh=300\nredHigh=400\n"
                                       "[25]\nredLow=-90\nyellowLow=-80\n"
                                       "[21]\nyellowLow=-300\nbogus=1\n");
  const std::string none = dir.write("none.ini", "; nothing set\n");
  const std::string overwrite = ": the output would overwrite an input\n";
  const std::tuple<std::string, int, std::string> cases[] = {
      {"", 2, "twk-csv: no log file given\nUsage: twk-csv [-k] [-o FILE] [--limits FILE] [--"},
      {"--bogus=1 " + good, 2, "twk-csv: unknown option '--bogus'\nUsage: twk-csv [-k] [-o"},
      {"--decimal comma " + good, 2,
       "twk-csv: --decimal takes \".\" or \",\", not 'comma'\nUsage: twk-csv [-k]"},
      {"-x " + good, 2, "twk-csv: unknown option '-x'\n"},
      {"-o " + good + " " + good, 2, "twk-csv: " + good + overwrite},
      {"-o " + dir.file("hard.log") + " " + note + " " + good, 2,
       "twk-csv: " + dir.file("hard.log") + overwrite},
      {"-o " + dir.file("soft.log") + " - <" + good, 2,
       "twk-csv: " + dir.file("soft.log") + overwrite},
      {"-f -o " + dir.file("live.csv") + " " + good, 2,
       "twk-csv: --follow writes to standard output only, not with -o\n"},
      {"-f " + good + " " + good, 2, "twk-csv: --follow follows one log file\n"},
      {"-f --limits " + limits + " " + good, 2, "twk-csv: --limits is not taken with --follow\n"},
      {note + " " + good + " " + note, 0,
       "twk-csv: " + note + ": no Tarnwick packets\ntwk-csv: " + note + ": no Tarnwick packets\n"},
      {"--limits " + limits + " " + good, 0,
       "twk-csv: " + limits +
           ":9: unknown key bogus (yellowLow, yellowHigh, redLow or redHigh); line skipped\n"
           "twk-csv: packet 1; RSSI [dB]; -91.5225; below red low\n"
           "twk-csv: packet 2; Battery A RAAC; 512; above red high\n"
           "twk-csv: packet 2; RSSI [dB]; -91.5225; below red low\n"},
      {"--limits " + none + " " + good, 0, ""},
      {dir.file("missing.log"), 1,
       "twk-csv: " + dir.file("missing.log") + ": No such file or directory\n"},
      {"--limits " + dir.file("missing.ini") + " " + good, 1,
       "twk-csv: " + dir.file("missing.ini") + ": No such file or directory\n"},
      {folder, 1, "twk-csv: " + folder + ": Is a directory\n"},
      {good + " " + bad, 1,
       "twk-csv: " + bad +
           ":2: line too long: 302 hex digits after un-escaping (at most 301 fit)\n"},
      {good + " >/dev/full", 1, "twk-csv: standard output: No space left on device\n"},
      {"-o /dev/full " + good, 1, "twk-csv: /dev/full: No space left on device\n"},
  };
  const std::string csv = run(good).out;
  for (const auto& [args, status, message] : cases) {
    const Outcome outcome = run(args);
    EXPECT_EQ(outcome.status, status) << args;
    // A refusal's message is followed by the usage.
    EXPECT_EQ(status == 2 ? outcome.err.substr(0, message.size()) : outcome.err, message) << args;
    EXPECT_EQ(status == 0 ? outcome.out : csv, csv) << args;
    EXPECT_EQ(test::readFile(good), original) << args;
  }
}

// Nothing is left beside the output when a bad line, a signal or the file-size limit ends the
// run, and the old output stays; a run that ends well writes it with the mode of a new file.
// Each once more where the file system has no unnamed files and -o writes a hidden file beside
// the output, which SIGKILL alone can leave.
TEST_F(TwkCsv, InterruptedOutputLeavesNothingBehind) {
  std::string lines;
  for (int i = 0; i < 50; ++i) lines += test::telemetryLine({{35, std::uint8_t(i)}}) + "\n";
  const std::string many = dir.write("many.log", lines);
  const std::string out = dir.file("out.csv");
  // The shell becomes twk-csv, which reads a pipe that stays open until the signal came; a job
  // in the background would ignore SIGINT.
  const std::string fifo = dir.file("input");
  const auto signalled = [&](const std::string& signal) {
    return "rm -f " + fifo + "; mkfifo " + fifo + "; (cat " + many + "; sleep 2) >" + fifo +
           " & (sleep 0.5; kill -" + signal + " $$) & exec " TWK_CSV_PATH " -o " + out + " - <" +
           fifo;
  };
  const std::string cases[] = {
      "exec " TWK_CSV_PATH " -o " + out + " " + good + " " + bad,
      signalled("INT"),
      signalled("TERM"),
      "ulimit -f 1; exec " TWK_CSV_PATH " -o " + out + " " + many,
      "exec " TWK_CSV_PATH " -o " + out + " " + good,
      signalled("KILL"),
  };
  const std::string shell = "exec 2>/dev/null </dev/null; umask 022; ";
  const std::string named =
      shell + "export LD_PRELOAD=" TWK_NO_UNNAMED_FILES
              " ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0; ";
  const std::string written = run(good).out;
  for (const std::string& fileSystem : {shell, named}) {
    for (const std::string& script : cases) {
      if (fileSystem == named && script == cases[5]) continue;
      std::filesystem::remove(out);
      if (script != cases[4]) dir.write("out.csv", "old");
      const int status = std::system((fileSystem + script).c_str());
      EXPECT_EQ(status == 0, script == cases[4]) << fileSystem << script;
      EXPECT_EQ(test::readFile(out), script == cases[4] ? written : "old") << fileSystem << script;
      EXPECT_EQ(std::filesystem::status(out).permissions() & std::filesystem::perms::all,
                std::filesystem::perms(0644));
      for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_NE(entry.path().filename().string()[0], '.') << script << " left " << entry.path();
    }
  }
}

// Files and standard input make one load. With bad lines in the middle, -k writes the row of
// every other line and names each skipped one; without it the run ends at the first, after the
// rows before it.
TEST_F(TwkCsv, OneLoadOfSeveralInputsAndKeepGoingPastLinesThatCannotBeStored) {
  const std::string alone = run(good).out;
  const std::string rows = alone.substr(alone.find('\n') + 1);
  const std::string tooWide = test::telemetryLine({}, 12) + std::string(66000, '0');
  const std::string mixed =
      dir.write("mixed.log", test::readFile(good) + test::telemetryLine({}, 150) + "\r\n" +
                                 test::readFile(good) + tooWide + "\r\n");
  const std::string tooLong =
      "twk-csv: " + mixed + ":3: line too long: 302 hex digits after un-escaping (at most 301 fit)";
  const std::string skipped = tooLong + "; line skipped\ntwk-csv: " + mixed +
                              ":6: line too long: 66026 characters besides blanks (at most 65535 "
                              "are read); line skipped\n";
  const std::string out = dir.file("out.csv");
  const std::tuple<std::string, int, std::string, std::string> cases[] = {
      {"-k " + mixed, 1, alone + rows, skipped},
      {"--keep-going " + good, 0, alone, ""},
      {good + " - " + good + " <" + good, 0, alone + rows + rows, ""},
      {mixed, 1, alone, tooLong + "\n"},
      {"-k -o " + out + " " + mixed, 1, "", skipped},
  };
  for (const auto& [args, status, written, message] : cases) {
    const Outcome outcome = run(args);
    EXPECT_EQ(outcome.status, status) << args;
    EXPECT_EQ(outcome.out, written) << args;
    EXPECT_EQ(outcome.err, message) << args;
  }
  EXPECT_EQ(test::readFile(out), alone + rows);
}

// The separator is the window's: Qt's for the locale named, also where it is not installed (a
// bare machine has only C locales), unless --decimal sets it; --limits writes it the same way.
TEST_F(TwkCsv, DecimalSeparatorFollowsTheLocale) {
  const std::string line = dir.write("half.log", test::telemetryLine(test::word(37, 0x00FF)));
  const std::string limits = dir.write("limits.ini", "[2]\nyellowHigh=19.9\n");
  const std::string files = "--limits " + limits + " " + line;
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"LC_ALL=de_DE.UTF-8 ", "", "19,921875"},
      {"LC_ALL=de_DE.UTF-8 ", "--decimal . ", "19.921875"},
      {"LC_ALL=C ", "--decimal=, ", "19,921875"},
  };
  for (const auto& [environment, option, value] : cases) {
    SCOPED_TRACE(environment + option);
    const Outcome outcome = run(option + files, environment);
    EXPECT_NE(outcome.out.find(";" + value + ";"), std::string::npos);
    EXPECT_EQ(outcome.err,
              "twk-csv: packet 1; Battery A Avg. Current; " + value + "; above yellow high\n");
  }
}

}  // namespace
}  // namespace twk
