#include "station_chatter.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "frame_text.h"

namespace twk {
namespace {

constexpr const char* kStation = "X0GND-2";

// Call signs that share the column with the spacecraft's; some differ from X0TWK-1 in a single
// character, which an inexact comparison would let through.
constexpr const char* kOtherCalls[] = {"X0TWK-2", "X0TWL-1", "Y0TWK-1",
                                       "X0GND-2", "X7ABC-3", "Z9QRP-7"};

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

void appendCrLf(std::string& out) {
  out += "\r\n";
}

}  // namespace

StationChatter::StationChatter(Xoshiro256& random, std::int64_t startUnixSeconds)
    : m_random(random), m_start(startUnixSeconds) {}

std::string StationChatter::clockText(double seconds, bool withDate) const {
  const std::int64_t t = m_start + static_cast<std::int64_t>(std::floor(seconds));
  const std::int64_t days = t / 86400;
  const std::int64_t rest = t % 86400;
  char text[40];
  if (withDate) {
    int year = 0, month = 0, day = 0;
    civilFromDays(days, year, month, day);
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day,
                  static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                  static_cast<int>(rest % 60));
  } else {
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(rest / 3600),
                  static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
  }
  return text;
}

void StationChatter::appendHeader(std::string& out) {
  out += "# ";
  out += kStation;
  out += " receiving station log, started ";
  out += clockText(0, true);
  out += " UTC";
  appendCrLf(out);
  out += "# one received frame per line, hex bytes";
  appendCrLf(out);
}

void StationChatter::appendPassEvent(double seconds, bool acquired, double peakElevationDeg,
                                     std::string& out) {
  char text[96];
  std::snprintf(text, sizeof text, "*** %s %s X0TWK-1 max el %.0f deg ***",
                clockText(seconds, true).c_str(), acquired ? "AOS" : "LOS", peakElevationDeg);
  out += text;
  appendCrLf(out);
}

// A frame of some other sender, laid out like a beacon: four header bytes, the seven call sign
// bytes at the same column, then payload.
void StationChatter::appendOtherFrame(std::string& out) {
  const char* call = kOtherCalls[m_random.below(std::size(kOtherCalls))];
  std::vector<std::uint8_t> frame;
  frame.push_back(0x8C);
  frame.push_back(static_cast<std::uint8_t>(0x20 + m_random.below(0x40)));
  frame.push_back(static_cast<std::uint8_t>(m_random.below(0x80)));
  frame.push_back(0x00);
  for (std::size_t i = 0; i < 7; ++i) frame.push_back(static_cast<std::uint8_t>(call[i]));
  const std::size_t payload = 6 + m_random.below(90);
  for (std::size_t i = 0; i < payload; ++i) {
    frame.push_back(static_cast<std::uint8_t>(m_random.next() >> 56));
  }
  frame[3] = static_cast<std::uint8_t>(frame.size() & 0x7F);
  // Some loggers write their hex in lower case.
  appendFrameText(frame, out, m_random.chance(0.1));
  appendCrLf(out);
}

void StationChatter::appendLine(double seconds, std::span<const std::uint8_t> lastBeacon,
                                std::string& out) {
  ++m_framesHeard;
  const std::uint32_t pick = m_random.below(100);
  char text[128];
  if (pick < 50) {
    appendOtherFrame(out);
    return;
  }
  if (pick < 62) {
    out += clockText(seconds, true);
    out += " UTC";
  } else if (pick < 70) {
    if (m_random.chance(0.2)) ++m_crcErrors;
    std::snprintf(text, sizeof text, "; %s rx frames=%u crc_err=%u", kStation, m_framesHeard,
                  m_crcErrors);
    out += text;
  } else if (pick < 76) {
    std::snprintf(text, sizeof text, "# %s noise floor %.1f dBm, doppler %+d Hz",
                  clockText(seconds, false).c_str(), -121 + 2 * m_random.noise(),
                  static_cast<int>(m_random.below(20001)) - 10000);
    out += text;
  } else if (pick < 82) {
    // A blank line.
  } else if (!lastBeacon.empty() && pick < 88) {
    // A second logger that puts the clock before the frame: the call sign sits further right.
    out += '[';
    out += clockText(seconds, false);
    out += "] ";
    appendFrameText(lastBeacon, out);
  } else if (!lastBeacon.empty() && pick < 94) {
    // A relay that rewrites the header with a byte that is escaped: the pair moves the call
    // sign three characters to the right.
    std::vector<std::uint8_t> relayed(lastBeacon.begin(), lastBeacon.end());
    relayed[1] = 0xFF;
    appendFrameText(relayed, out);
  } else if (!lastBeacon.empty()) {
    appendFrameText(lastBeacon, out, true);
  } else {
    out += "# waiting for signal";
  }
  appendCrLf(out);
}

}  // namespace twk
