#include "telemetry/value_text.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "telemetry/channel_table.h"

namespace twk {
namespace {

// A finite, non-zero magnitude as decimal significant digits and the power of ten of the first.
struct Decimal {
  char digits[24];
  int count = 0;
  int exponent = 0;
};

// Splits to_chars' scientific text "d.ddde+XX" into digits and exponent.
Decimal splitScientific(const char* text, const char* end) {
  Decimal d;
  const char* p = text;
  for (; p < end && *p != 'e'; ++p) {
    if (*p != '.') d.digits[d.count++] = *p;
  }
  std::from_chars(p + 1 + (p[1] == '+'), end, d.exponent);
  while (d.count > 1 && d.digits[d.count - 1] == '0') --d.count;
  return d;
}

// The magnitude rounded to 15 significant digits, trailing zeros dropped. For a normal double a
// shortest round-trip form of 15 digits or fewer is that rounding already: two different 15-digit
// decimals of one decade lie further apart than one step of a double, so no other one can be
// nearer. Subnormals have fewer bits and take the long way.
Decimal fifteenDigits(double magnitude) {
  char text[40];
  if (magnitude >= std::numeric_limits<double>::min()) {
    auto shortest =
        std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific);
    Decimal d = splitScientific(text, shortest.ptr);
    if (d.count <= 15) return d;
  }
  auto rounded =
      std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, 14);
  return splitScientific(text, rounded.ptr);
}

const char* nonFiniteText(double x) {
  if (std::isnan(x)) return "NaN";
  return x < 0 ? "-Inf" : "Inf";
}

void appendExponent(std::string& out, int exponent) {
  out += 'E';
  out += exponent < 0 ? '-' : '+';
  const int e = exponent < 0 ? -exponent : exponent;
  if (e < 10) out += '0';
  out += std::to_string(e);
}

// |x| rounded half away from zero to hundredths, judged on its 15-digit form, as a decimal
// integer text without leading zeros ("0" for zero).
std::string roundedHundredths(double magnitude) {
  if (magnitude == 0) return "0";
  const Decimal d = fifteenDigits(magnitude);
  // The digits before the point of magnitude x 100.
  const int whole = d.exponent + 3;
  if (whole <= 0) {
    return whole == 0 && d.digits[0] >= '5' ? "1" : "0";
  }
  std::string cents(d.digits, static_cast<std::size_t>(std::min(whole, d.count)));
  if (whole >= d.count) {
    cents.append(static_cast<std::size_t>(whole - d.count), '0');
    return cents;
  }
  if (d.digits[whole] >= '5') {
    int i = static_cast<int>(cents.size()) - 1;
    for (; i >= 0 && cents[static_cast<std::size_t>(i)] == '9'; --i) {
      cents[static_cast<std::size_t>(i)] = '0';
    }
    if (i < 0) {
      cents.insert(cents.begin(), '1');
    } else {
      ++cents[static_cast<std::size_t>(i)];
    }
  }
  return cents;
}

// The shared body of "#.##" and "#.00": no leading zero, the separator always.
std::string patternText(double x, std::string_view separator, bool keepZeros) {
  if (!std::isfinite(x)) return nonFiniteText(x);
  std::string cents = roundedHundredths(std::fabs(x));
  if (cents.size() < 3) cents.insert(0, 3 - cents.size(), '0');
  const std::string_view all = cents;
  const std::string_view integer = all.substr(0, all.size() - 2);
  std::string_view fraction = all.substr(all.size() - 2);
  const bool zero = integer == "0" && fraction == "00";

  std::string text;
  if (x < 0 && !zero) text += '-';
  if (integer != "0") text += integer;
  text += separator;
  if (!keepZeros) {
    while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
  }
  text += fraction;
  return text;
}

// Halves to the even neighbour, as the default floating-point rounding mode does.
double roundHalfEven(double x) { return std::nearbyint(x); }

bool fitsInt64(double r) { return r >= -9223372036854775808.0 && r < 9223372036854775808.0; }

}  // namespace

void appendGeneralText(std::string& out, double x, std::string_view separator) {
  if (x == 0) {  // also -0
    out += '0';
    return;
  }
  if (!std::isfinite(x)) {
    out += nonFiniteText(x);
    return;
  }
  if (x < 0) out += '-';
  const Decimal d = fifteenDigits(std::fabs(x));
  const std::string_view digits(d.digits, static_cast<std::size_t>(d.count));
  if (d.exponent < -4 || d.exponent >= 15) {
    out += digits[0];
    if (d.count > 1) {
      out += separator;
      out += digits.substr(1);
    }
    appendExponent(out, d.exponent);
  } else if (d.exponent < 0) {
    out += '0';
    out += separator;
    out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
    out += digits;
  } else {
    const auto whole = static_cast<std::size_t>(d.exponent + 1);
    if (digits.size() <= whole) {
      out += digits;
      out.append(whole - digits.size(), '0');
    } else {
      out += digits.substr(0, whole);
      out += separator;
      out += digits.substr(whole);
    }
  }
}

std::string generalText(double x, std::string_view separator) {
  std::string text;
  appendGeneralText(text, x, separator);
  return text;
}

std::string hashPatternText(double x, std::string_view separator) {
  return patternText(x, separator, false);
}

std::string twoDecimalsText(double x, std::string_view separator) {
  return patternText(x, separator, true);
}

std::string twoDigitsText(std::int64_t n) {
  if (n < 0) return "-" + twoDigitsText(-n);
  return n < 10 ? "0" + std::to_string(n) : std::to_string(n);
}

std::string wholeText(double x) {
  if (!std::isfinite(x)) return nonFiniteText(x);
  const double r = roundHalfEven(x);
  if (fitsInt64(r)) return std::to_string(static_cast<long long>(r));
  char text[400];
  const auto end = std::to_chars(text, text + sizeof text, r, std::chars_format::fixed);
  return std::string(text, end.ptr);
}

std::string hexText(double x) {
  if (!std::isfinite(x)) return nonFiniteText(x);
  const double r = roundHalfEven(x);
  if (!fitsInt64(r)) return wholeText(x);
  const long long n = static_cast<long long>(r);
  char text[24];
  const unsigned long long magnitude =
      n < 0 ? 0ULL - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n);
  const auto end = std::to_chars(text, text + sizeof text, magnitude, 16);
  std::string hex = n < 0 ? "-" : "";
  for (const char* p = text; p < end.ptr; ++p) {
    hex += (*p >= 'a' && *p <= 'f') ? static_cast<char>(*p - 32) : *p;
  }
  return hex;
}

std::string SecToTime(std::int64_t s) {
  // Floor division, so negative times count back from the previous midnight.
  std::int64_t days = s / 86400;
  if (s % 86400 < 0) --days;
  const std::int64_t rest = s - 86400 * days;
  const std::int64_t hours = rest / 3600;
  const std::int64_t minutes = (rest - 3600 * hours) / 60;
  const std::int64_t seconds = rest - 3600 * hours - 60 * minutes;
  return std::to_string(days) + "d " + twoDigitsText(hours) + ":" + twoDigitsText(minutes) + ":" +
         twoDigitsText(seconds);
}

std::string timeText(double count, std::string_view separator) {
  const double seconds = count / 384;
  const double whole = roundHalfEven(seconds);
  const std::string clock =
      std::isfinite(whole) && fitsInt64(whole) && std::fabs(whole) < 1e17
          ? SecToTime(static_cast<std::int64_t>(whole))
          : wholeText(seconds);
  return hashPatternText(seconds, separator) + " sec  => " + clock;
}

std::string channelText(int channel, double x, std::string_view separator) {
  switch (channelTable()[static_cast<std::size_t>(channel)].rule) {
    case TextRule::Time: return timeText(x, separator);
    case TextRule::Whole: return wholeText(x);
    case TextRule::Hex: return hexText(x);
    case TextRule::TwoDecimals: break;
  }
  return twoDecimalsText(x, separator);
}

}  // namespace twk
