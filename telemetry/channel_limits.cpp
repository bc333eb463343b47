#include "telemetry/channel_limits.h"

#include <sys/stat.h>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <sstream>

namespace twk {
namespace {

std::string_view trimmed(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// A whole number or decimal in the C locale; nothing else on the line's value.
std::optional<double> number(std::string_view text) {
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::optional<int> channelNumber(std::string_view text) {
  int channel = -1;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), channel);
  if (ec != std::errc() || end != text.data() + text.size() || channel < 0 ||
      channel >= kChannelCount) {
    return std::nullopt;
  }
  return channel;
}

}  // namespace

LimitCrossed crossedLimit(const ChannelLimits& l, double value) {
  if (l.redLow && value < *l.redLow) return LimitCrossed::RedLow;
  if (l.redHigh && value > *l.redHigh) return LimitCrossed::RedHigh;
  if (l.yellowLow && value < *l.yellowLow) return LimitCrossed::YellowLow;
  if (l.yellowHigh && value > *l.yellowHigh) return LimitCrossed::YellowHigh;
  return LimitCrossed::None;
}

bool isRed(LimitCrossed crossed) {
  return crossed == LimitCrossed::RedLow || crossed == LimitCrossed::RedHigh;
}

std::string_view limitText(LimitCrossed crossed) {
  switch (crossed) {
    case LimitCrossed::None: return {};
    case LimitCrossed::YellowLow: return "below yellow low";
    case LimitCrossed::YellowHigh: return "above yellow high";
    case LimitCrossed::RedLow: return "below red low";
    case LimitCrossed::RedHigh: return "above red high";
  }
  return {};
}

std::string crossingLine(std::int64_t packet, int channel, std::string_view value,
                         LimitCrossed crossed) {
  return "packet " + std::to_string(packet) + "; " + channelLongName(channel) + "; " +
         std::string(value) + "; " + std::string(limitText(crossed));
}

LimitsTable parseLimits(std::string_view text, const std::string& fileName) {
  LimitsTable table;
  int channel = -1;  // the section's channel; -1 before the first or in a section of none
  std::uint64_t lineNumber = 0;
  std::uint64_t firstSection = UINT64_MAX;
  const auto problem = [&](std::string reason) {
    table.problems.emplace_back(ErrorKind::BadLimit, fileName, lineNumber, std::move(reason));
  };
  while (!text.empty()) {
    const std::size_t eol = text.find('\n');
    const std::string_view line = trimmed(text.substr(0, eol));
    text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
    ++lineNumber;
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      firstSection = std::min(firstSection, lineNumber);
      const std::optional<int> n = line.back() == ']'
                                       ? channelNumber(trimmed(line.substr(1, line.size() - 2)))
                                       : std::nullopt;
      channel = n.value_or(-1);
      if (!n) {
        problem("section " + std::string(line) + " is no channel number from 0 to " +
                std::to_string(kChannelCount - 1) + "; its limits are skipped");
      }
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      problem("no key=value: " + std::string(line));
      continue;
    }
    if (channel < 0) {
      // The keys of a section already reported are skipped with it.
      if (lineNumber < firstSection) problem("a key before the first channel's section");
      continue;
    }
    const std::string_view key = trimmed(line.substr(0, equals));
    const std::optional<double> value = number(trimmed(line.substr(equals + 1)));
    ChannelLimits& limits = table.channels[static_cast<std::size_t>(channel)];
    std::optional<double>* slot = key == "yellowLow"    ? &limits.yellowLow
                                  : key == "yellowHigh" ? &limits.yellowHigh
                                  : key == "redLow"     ? &limits.redLow
                                  : key == "redHigh"    ? &limits.redHigh
                                                        : nullptr;
    if (slot == nullptr) {
      problem("unknown key " + std::string(key) + " (yellowLow, yellowHigh, redLow or redHigh)");
    } else if (!value) {
      problem(std::string(key) + " is not a number: " + std::string(line.substr(equals + 1)));
    } else {
      *slot = value;
    }
  }
  return table;
}

LimitsTable readLimitsFile(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 && errno == ENOENT) return {};
  if (S_ISDIR(info.st_mode)) throw Error(ErrorKind::OpenFailed, path, 0, systemReason(EISDIR));
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error(ErrorKind::OpenFailed, path, 0, systemReason(errno));
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw Error(ErrorKind::ReadFailed, path, 0, systemReason(errno));
  return parseLimits(text.str(), path);
}

std::string limitsFileText(const LimitsTable& limits) {
  std::string text;
  for (int channel = 0; channel < kChannelCount; ++channel) {
    const ChannelLimits& l = limits.channels[static_cast<std::size_t>(channel)];
    if (!l.any()) continue;
    text += (text.empty() ? "[" : "\n[") + std::to_string(channel) + "]\n; " +
            channelTitle(channel) + "\n";
    const std::pair<const char*, const std::optional<double>&> keys[] = {
        {"yellowLow", l.yellowLow},
        {"yellowHigh", l.yellowHigh},
        {"redLow", l.redLow},
        {"redHigh", l.redHigh}};
    for (const auto& [key, value] : keys) {
      if (!value) continue;
      char digits[32];
      const auto end = std::to_chars(digits, digits + sizeof digits, *value).ptr;
      text += std::string(key) + "=" + std::string(digits, end) + "\n";
    }
  }
  return text;
}

}  // namespace twk
