// twk-loggen: writes realistic receiving-station logs for tests and benchmarks.
//
// samples/sample.log was made with:
//   twk-loggen --packets 3000 --seed 20260302 -o samples/sample.log

#include <fcntl.h>
#include <getopt.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "log_generator.h"

namespace {

constexpr const char* kUsage =
    "Usage: twk-loggen [--packets N] [--size-mb M] [--seed S] [--others R] [--random-words]\n"
    "                  [-o FILE]\n"
    "       twk-loggen --live [--rate N] [--packets N] [--seed S] [--others R] -o FILE\n";

constexpr const char* kHelp =
    "Writes a receiving station's log of Tarnwick beacons: a simulated orbit with sunlight and\n"
    "eclipse, a tumbling spacecraft, two batteries, passes over the station and rising\n"
    "counters, with other senders' and the station's own lines in between. The same options\n"
    "and seed always give the same log.\n"
    "\n"
    "  --packets N    write N beacons (default 3000 unless --size-mb is given)\n"
    "  --size-mb M    write beacons until the log holds about M megabytes (10^6 bytes);\n"
    "                 with --packets, whichever limit comes first ends the log\n"
    "  --seed S       seed of the simulation (default 1)\n"
    "  --others R     mean number of other lines before each beacon (default 0.6)\n"
    "  --random-words fill every channel position (bytes 17 to 82) of each beacon with\n"
    "                 uniformly random bytes, escaped where the frame needs it, so that no\n"
    "                 channel value repeats by more than chance\n"
    "  -o, --output FILE  write to FILE instead of standard output\n"
    "  --live         act as a station during a pass: append to FILE (made when\n"
    "                 missing) beacons at --rate per second, each with the lines\n"
    "                 before it, until stopped (Ctrl+C) or --packets are written\n"
    "  --rate N       beacons per second with --live (default 1; fractions allowed)\n"
    "  -h, --help     show this help and exit\n";

int usageError(const char* message) {
  std::fprintf(stderr, "twk-loggen: %s\n", message);
  std::fputs(kUsage, stderr);
  return 2;
}

bool parseUnsigned(const char* text, std::uint64_t& value) {
  if (text == nullptr || *text == '\0' || *text == '-') return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtoull(text, &end, 0);
  return errno == 0 && *end == '\0';
}

bool parseNonNegative(const char* text, double& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtod(text, &end);
  return errno == 0 && end != text && *end == '\0' && value >= 0 && value < 1e9;
}

// Appends beacons to path at rate per second, each beacon with the lines before it in one
// write, so a reader never sees half a beacon written by a stopped generator. A new or empty
// file gets the log's opening lines first.
int appendLive(const char* path, std::uint64_t seed, double others, double rate,
               std::uint64_t packets) {
  const int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  struct stat info {};
  if (fd < 0 || ::fstat(fd, &info) != 0) {
    std::fprintf(stderr, "twk-loggen: %s: %s\n", path, std::strerror(errno));
    return 1;
  }
  twk::LogGenerator generator(seed, others);
  std::string text;
  if (info.st_size == 0) generator.appendHeader(text);
  timespec next{};
  ::clock_gettime(CLOCK_MONOTONIC, &next);
  const auto period = static_cast<std::int64_t>(1e9 / rate);
  for (std::uint64_t n = 0; n < packets; ++n) {
    generator.appendBeacon(text);
    for (std::string_view rest = text; !rest.empty();) {
      const ssize_t written = ::write(fd, rest.data(), rest.size());
      if (written < 0 && errno == EINTR) continue;
      if (written < 0) {
        std::fprintf(stderr, "twk-loggen: %s: write failed: %s\n", path, std::strerror(errno));
        return 1;
      }
      rest.remove_prefix(static_cast<std::size_t>(written));
    }
    text.clear();
    // The schedule is absolute, so the rate holds however long each write took.
    const std::int64_t at = next.tv_nsec + period;
    next.tv_sec += at / 1000000000;
    next.tv_nsec = at % 1000000000;
    if (n + 1 < packets) {
      while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr) == EINTR) {
      }
    }
  }
  ::close(fd);
  return 0;
}

struct Options {
  std::uint64_t packets = 0;
  bool packetsGiven = false;
  double sizeMb = 0;
  std::uint64_t seed = 1;
  double others = 0.6;
  bool randomWords = false;
  const char* outputPath = nullptr;
  bool live = false;
  double rate = 1;
};

// Reads the options; returns the exit status where the program ends here, else -1.
int readOptions(int argc, char** argv, Options& o) {
  static const option kOptions[] = {
      {"packets", required_argument, nullptr, 'p'}, {"size-mb", required_argument, nullptr, 'm'},
      {"seed", required_argument, nullptr, 's'},    {"others", required_argument, nullptr, 'r'},
      {"random-words", no_argument, nullptr, 'w'},  {"output", required_argument, nullptr, 'o'},
      {"live", no_argument, nullptr, 'l'},          {"rate", required_argument, nullptr, 'R'},
      {"help", no_argument, nullptr, 'h'},          {nullptr, 0, nullptr, 0}};
  opterr = 0;
  for (int c; (c = getopt_long(argc, argv, ":o:h", kOptions, nullptr)) != -1;) {
    switch (c) {
      case 'p':
        if (!parseUnsigned(optarg, o.packets)) return usageError("--packets needs a whole number");
        o.packetsGiven = true;
        break;
      case 'm':
        if (!parseNonNegative(optarg, o.sizeMb) || o.sizeMb <= 0) {
          return usageError("--size-mb needs a positive number");
        }
        break;
      case 's':
        if (!parseUnsigned(optarg, o.seed)) return usageError("--seed needs a whole number");
        break;
      case 'r':
        if (!parseNonNegative(optarg, o.others) || o.others > 100) {
          return usageError("--others needs a number from 0 to 100");
        }
        break;
      case 'w': o.randomWords = true; break;
      case 'o': o.outputPath = optarg; break;
      case 'l': o.live = true; break;
      case 'R':
        if (!parseNonNegative(optarg, o.rate) || o.rate <= 0) {
          return usageError("--rate needs a positive number");
        }
        break;
      case 'h':
        std::fputs(kUsage, stdout);
        std::fputs(kHelp, stdout);
        return 0;
      case ':': return usageError("an option needs a value");
      default: return usageError("unknown option");
    }
  }
  return optind < argc ? usageError("unexpected argument") : -1;
}

// Writes a whole log at once; the exit status.
int writeLog(const Options& o) {
  const std::uint64_t packets = !o.packetsGiven && o.sizeMb == 0 ? 3000 : o.packets;
  const std::uint64_t maxBytes =
      o.sizeMb > 0 ? static_cast<std::uint64_t>(o.sizeMb * 1e6) : UINT64_MAX;
  const std::uint64_t maxPackets = o.packetsGiven || o.sizeMb == 0 ? packets : UINT64_MAX;
  std::FILE* output = stdout;
  if (o.outputPath != nullptr) {
    output = std::fopen(o.outputPath, "wb");
    if (output == nullptr) {
      std::fprintf(stderr, "twk-loggen: %s: %s\n", o.outputPath, std::strerror(errno));
      return 1;
    }
  }
  twk::LogGenerator generator(o.seed, o.others, o.randomWords);
  std::string text;
  generator.appendHeader(text);
  std::uint64_t written = 0;
  bool ok = true;
  constexpr std::size_t kChunk = 1 << 20;
  for (std::uint64_t n = 0; n < maxPackets && written + text.size() < maxBytes && ok; ++n) {
    generator.appendBeacon(text);
    if (text.size() >= kChunk) {
      ok = std::fwrite(text.data(), 1, text.size(), output) == text.size();
      written += text.size();
      text.clear();
    }
  }
  if (ok) ok = std::fwrite(text.data(), 1, text.size(), output) == text.size();
  if (std::fflush(output) != 0) ok = false;
  if (o.outputPath != nullptr && std::fclose(output) != 0) ok = false;
  if (!ok) {
    std::fprintf(stderr, "twk-loggen: %s: write failed: %s\n",
                 o.outputPath != nullptr ? o.outputPath : "standard output", std::strerror(errno));
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (const int status = readOptions(argc, argv, o); status >= 0) return status;
  if (!o.live) return writeLog(o);
  if (o.outputPath == nullptr) return usageError("--live needs -o FILE");
  return appendLive(o.outputPath, o.seed, o.others, o.rate,
                    o.packetsGiven ? o.packets : UINT64_MAX);
}
