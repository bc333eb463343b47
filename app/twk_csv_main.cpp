// twk-csv: decodes telemetry logs headless and writes the CSV file the window exports.

#include <getopt.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLocale>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/error.h"
#include "export/atomic_file.h"
#include "export/csv_converter.h"
#include "export/csv_follow.h"
#include "export/csv_limit_scan.h"
#include "export/csv_writer.h"
#include "intake/log_file.h"

namespace {

constexpr const char* kUsage =
    "Usage: twk-csv [-k] [-o FILE] [--limits FILE] [--decimal SEP] LOG...\n"
    "       twk-csv -f [--decimal SEP] LOG\n";

constexpr const char* kHelp =
    "Decodes Tarnwick telemetry logs and writes every packet's 31 channel values as\n"
    "semicolon-separated text, exactly as the window's \"Write CSV File\" does.\n"
    "\n"
    "  LOG...           log files, decoded in the given order as one load; packets\n"
    "                   are numbered from 1 across files. \"-\" reads standard input.\n"
    "  -o, --output FILE  write to FILE instead of standard output; FILE is replaced\n"
    "                   only when the whole CSV is written, and keeps its old contents\n"
    "                   on any error\n"
    "  -k, --keep-going  read on past a telemetry line that cannot be stored (too\n"
    "                   long): it is reported on standard error as FILE:LINE:\n"
    "                   REASON; line skipped, gives no row, and makes the exit\n"
    "                   status 1; the rows of every other line are written, and -o's\n"
    "                   file is replaced all the same. Without -k such a line ends\n"
    "                   the run after the rows of the lines before it.\n"
    "  -f, --follow     follow one LOG that a station is still writing: after its end,\n"
    "                   wait for more and write each new row as soon as its line is\n"
    "                   complete; a log truncated or replaced is read again from its\n"
    "                   start. A line that cannot be stored is reported as with -k\n"
    "                   and following goes on. Ends on Ctrl+C (SIGINT) or SIGTERM\n"
    "                   with every complete row written. Writes to standard output\n"
    "                   only.\n"
    "  --limits FILE    also report on standard error each packet's values outside\n"
    "                   the limits FILE sets, one line per packet and channel:\n"
    "                   \"packet N; CHANNEL; VALUE; LIMIT\", CHANNEL after its group\n"
    "                   where another group has a channel of that name (\"Battery A\n"
    "                   Volts\"), LIMIT the most severe one crossed (\"below red low\",\n"
    "                   \"above yellow high\", ...). The CSV stays the same. FILE is an\n"
    "                   INI file with a section per channel, [0] to [30] as the CSV's\n"
    "                   columns, and the keys yellowLow, yellowHigh, redLow, redHigh;\n"
    "                   lines it cannot read are reported and skipped.\n"
    "  --decimal SEP    write SEP, \".\" or \",\", as the decimal separator instead of\n"
    "                   the locale's\n"
    "  -h, --help       show this help and exit\n"
    "  -V, --version    show the version and exit\n"
    "\n"
    "Unless --decimal sets it, the decimal separator follows the locale (LC_ALL,\n"
    "LC_NUMERIC, LANG) as in the window, also a locale not installed on this machine.\n"
    "Unlike the window, which holds as many packets as its \"Packets held\" setting\n"
    "(5000 unless set), the converter streams any number of packets.\n"
    "Exit status: 0 success, 1 an input or output error or a line skipped, 2 wrong\n"
    "usage.\n";

// Where the CSV text goes: standard output, or a file that is replaced when complete.
class Output {
 public:
  explicit Output(const std::optional<std::string>& path) {
    if (path) m_file = std::make_unique<twk::AtomicFile>(*path);
  }

  void write(std::string_view text) {
    if (m_file) {
      m_file->write(text);
    } else if (const int failure = twk::writeAll(STDOUT_FILENO, text)) {
      throw twk::Error(twk::ErrorKind::WriteFailed, "standard output", 0,
                       twk::systemReason(failure));
    }
  }

  void finish() {
    if (m_file) m_file->commit();
  }

 private:
  std::unique_ptr<twk::AtomicFile> m_file;
};

int usageError(const std::string& message) {
  if (!message.empty()) std::fprintf(stderr, "twk-csv: %s\n", message.c_str());
  std::fputs(kUsage, stderr);
  std::fputs("Try 'twk-csv --help' for more information.\n", stderr);
  return 2;
}

// Whether writing output would replace one of the inputs, also when they are named through
// another path, a hard link or a symbolic link. Only a regular file can be destroyed that way.
bool overwritesAnInput(const std::string& output, char** inputs, int count) {
  struct stat target {};
  if (::stat(output.c_str(), &target) != 0 || !S_ISREG(target.st_mode)) return false;
  for (int i = 0; i < count; ++i) {
    const std::string input = inputs[i];
    struct stat info {};
    const int got = input == "-" ? ::fstat(STDIN_FILENO, &info) : ::stat(input.c_str(), &info);
    if (got == 0 && info.st_dev == target.st_dev && info.st_ino == target.st_ino) return true;
  }
  return false;
}

// Follows the log until SIGINT or SIGTERM, which end it cleanly: they are taken from a signal
// descriptor instead of interrupting a write.
int followLog(const std::string& path, const std::string& separator) {
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
  const int stopFd = ::signalfd(-1, &stopSignals, SFD_CLOEXEC);
  if (stopFd < 0) {
    // Without the descriptor the signals end the program as they would anyway: the rows
    // written so far stay, only the batch being written may be cut.
    std::fprintf(stderr, "twk-csv: cannot take signals (%s); Ctrl+C ends following at once\n",
                 twk::systemReason(errno).c_str());
    sigprocmask(SIG_UNBLOCK, &stopSignals, nullptr);
  }
  try {
    const auto note = [](const std::string& text) {
      std::fprintf(stderr, "twk-csv: %s\n", text.c_str());
    };
    if (twk::followLogAsCsv(path, STDOUT_FILENO, separator, stopFd, note) == 0) {
      note(path + ": no Tarnwick packets");
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "twk-csv: %s\n", e.what());
    return 1;
  }
  return 0;
}

// What the command line asks for.
struct Options {
  std::optional<std::string> outputPath;
  std::optional<std::string> limitsPath;
  std::optional<std::string> decimal;
  bool follow = false;
  bool keepGoing = false;
};

// Reads the options into options; returns the exit status where the program ends here (an
// answer or a wrong option), else -1, optind then naming the first log.
int readOptions(int argc, char** argv, Options& options) {
  static const option kOptions[] = {
      {"output", required_argument, nullptr, 'o'},  {"keep-going", no_argument, nullptr, 'k'},
      {"follow", no_argument, nullptr, 'f'},        {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, 'V'},       {"limits", required_argument, nullptr, 'L'},
      {"decimal", required_argument, nullptr, 'D'}, {nullptr, 0, nullptr, 0}};
  opterr = 0;
  for (int c; (c = getopt_long(argc, argv, ":o:kfhV", kOptions, nullptr)) != -1;) {
    switch (c) {
      case 'o': options.outputPath = optarg; break;
      case 'k': options.keepGoing = true; break;
      case 'L': options.limitsPath = optarg; break;
      case 'D':
        if (std::string_view(optarg) != "." && std::string_view(optarg) != ",") {
          return usageError("--decimal takes \".\" or \",\", not '" + std::string(optarg) + "'");
        }
        options.decimal = optarg;
        break;
      case 'f': options.follow = true; break;
      case 'h':
        std::fputs(kUsage, stdout);
        std::fputs(kHelp, stdout);
        return 0;
      case 'V': std::printf("twk-csv %s (Tarnwick telemetry decoder)\n", TWK_VERSION); return 0;
      case ':':
        return usageError(optopt == 'D' ? "--decimal needs \".\" or \",\""
                                        : "an option needs a file name");
      default: {
        // A short option is in optopt; a long one is the word getopt just passed.
        const std::string word = optopt != 0 ? std::string("-") + static_cast<char>(optopt)
                                             : std::string(argv[optind - 1]);
        return usageError("unknown option '" + word.substr(0, word.find('=')) + "'");
      }
    }
  }
  return optind >= argc ? usageError("no log file given") : -1;
}

// Converts the logs as one load to the output, reporting crossings of the limits; the exit
// status.
int convertLogs(const Options& options, const std::string& separator, char** logs, int count) {
  // A file-size limit makes the write fail instead of ending the program, so the temporary
  // output file is removed like on any other failed write.
  std::signal(SIGXFSZ, SIG_IGN);
  bool skipped = false;
  try {
    // The limits are read first: a file named but missing is an error, not an empty table.
    std::optional<twk::CsvLimitScan> limitScan;
    if (options.limitsPath) {
      if (::access(options.limitsPath->c_str(), F_OK) != 0) {
        throw twk::Error(twk::ErrorKind::OpenFailed, *options.limitsPath, 0,
                         twk::systemReason(errno));
      }
      twk::LimitsTable limits = twk::readLimitsFile(*options.limitsPath);
      for (const twk::Error& problem : limits.problems) {
        std::fprintf(stderr, "twk-csv: %s; line skipped\n", problem.what());
      }
      limitScan.emplace(std::move(limits), separator, [](const std::string& line) {
        std::fprintf(stderr, "twk-csv: %s\n", line.c_str());
      });
    }
    Output output(options.outputPath);
    std::string header;
    twk::appendCsvHeader(header, twk::defaultCaptions());
    output.write(header);
    twk::CsvConverterOptions converterOptions;
    if (options.keepGoing) {
      converterOptions.skipped = [&skipped](const twk::Error& error) {
        skipped = true;
        std::fprintf(stderr, "twk-csv: %s; line skipped\n", error.what());
      };
    }
    twk::CsvConverter converter(
        [&output, &limitScan](std::string_view rows) {
          output.write(rows);
          if (limitScan) limitScan->scan(rows);
        },
        separator, std::move(converterOptions));
    for (int i = 0; i < count; ++i) {
      if (converter.convertLog(logs[i]) == 0) {
        const std::string name(std::string_view(logs[i]) == "-" ? twk::kStdinName : logs[i]);
        std::fprintf(stderr, "twk-csv: %s: no Tarnwick packets\n", name.c_str());
      }
    }
    output.finish();
  } catch (const std::exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "twk-csv: %s\n", e.what());
    return 1;
  }
  return skipped ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  // The system's messages (strerror) in the user's language.
  std::setlocale(LC_ALL, "");
  Options options;
  if (const int status = readOptions(argc, argv, options); status >= 0) return status;
  // The window's separator: Qt's for the locale that LC_ALL, LC_NUMERIC or LANG names, from Qt's
  // own locale data, so a locale not installed here gives the same as where it is.
  const std::string separator =
      options.decimal ? *options.decimal : QLocale::system().decimalPoint().toStdString();
  if (options.follow) {
    if (options.outputPath)
      return usageError("--follow writes to standard output only, not with -o");
    if (options.limitsPath) return usageError("--limits is not taken with --follow");
    if (argc - optind > 1) return usageError("--follow follows one log file");
    if (std::string_view(argv[optind]) == "-") {
      return usageError("--follow needs a log file, not standard input");
    }
    return followLog(argv[optind], separator);
  }
  if (options.outputPath && options.outputPath->empty()) {
    return usageError("the output file name is empty");
  }
  if (options.outputPath && overwritesAnInput(*options.outputPath, argv + optind, argc - optind)) {
    std::fprintf(stderr, "twk-csv: %s: the output would overwrite an input\n",
                 options.outputPath->c_str());
    return 2;
  }
  return convertLogs(options, separator, argv + optind, argc - optind);
}
