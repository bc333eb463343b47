#include "telemetry/value_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "telemetry/powers_of_ten.h"

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

// The 15 digits of magnitude x 10^(14 - exponent), rounded to nearest with ties to even as
// printf rounds, computed exactly in 128 bits: magnitude = m x 2^k with m below 2^53, and for
// 1e-5 <= magnitude < 1e15 the scaled value stays below 2^117. Returns false when exponent is
// not the magnitude's decimal exponent.
bool scaledDigits(std::uint64_t m, int k, int exponent, std::uint64_t& digits) {
  const int p = 14 - exponent;
  if (p < 0 || p > 19) return false;
  __extension__ using Uint128 = unsigned __int128;
  Uint128 whole;
  bool above = false;
  bool half = false;
  if (k >= 0) {
    whole = (static_cast<Uint128>(m) << k) * kPow10[p];
  } else {
    const Uint128 scaled = static_cast<Uint128>(m) * kPow10[p];
    const int shift = -k;
    whole = scaled >> shift;
    const Uint128 rest = scaled - (whole << shift);
    const Uint128 halfway = static_cast<Uint128>(1) << (shift - 1);
    above = rest > halfway;
    half = rest == halfway;
  }
  if (whole < kPow10[14] || whole >= kPow10[15]) return false;
  if (above || (half && (whole & 1) != 0)) ++whole;
  digits = static_cast<std::uint64_t>(whole);
  return true;
}

constexpr double kPow10Double[] = {1e-6, 1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1,
                                   1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8, 1e9,
                                   1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16};

}  // namespace

bool roundedFifteenDigits(double magnitude, std::uint64_t& digits, int& exponent) {
  if (!(magnitude >= 1e-5 && magnitude < 1e15)) return false;
  std::uint64_t bits;
  std::memcpy(&bits, &magnitude, sizeof bits);
  const int biased = static_cast<int>(bits >> 52);
  const std::uint64_t m = (bits & ((1ULL << 52) - 1)) | (1ULL << 52);
  // floor(log10(2^(biased - 1023))), then one step up where the magnitude reaches it.
  exponent = ((biased - 1023) * 78913) >> 18;
  if (magnitude >= kPow10Double[exponent + 7]) ++exponent;
  return scaledDigits(m, biased - 1075, exponent, digits);
}

namespace {

// The magnitude rounded to 15 significant digits, trailing zeros dropped.
Decimal fifteenDigits(double magnitude) {
  std::uint64_t digits = 0;
  int exponent = 0;
  if (roundedFifteenDigits(magnitude, digits, exponent)) {
    if (digits == kPow10[15]) {  // rounded up into the next decade
      digits = kPow10[14];
      ++exponent;
    }
    Decimal d;
    d.exponent = exponent;
    d.count = 15;
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    for (int i = 13; i >= 1; i -= 2, digits /= 100) {
      std::memcpy(&d.digits[i], &kPairs[2 * (digits % 100)], 2);
    }
    d.digits[0] = static_cast<char>('0' + digits);
    while (d.count > 1 && d.digits[d.count - 1] == '0') --d.count;
    return d;
  }
  char text[40];
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
double roundHalfEven(double x) {
  return std::nearbyint(x);
}

bool fitsInt64(double r) {
  return r >= -9223372036854775808.0 && r < 9223372036854775808.0;
}

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
  const double magnitude = std::fabs(x);
  if (magnitude < 1e15 && magnitude == std::trunc(magnitude)) {  // counts and words: no rounding
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, static_cast<std::uint64_t>(magnitude));
    out.append(text, end.ptr);
    return;
  }
  const Decimal d = fifteenDigits(magnitude);
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
    const auto whole = static_cast<std::size_t>(d.exponent) + 1;
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
  std::string text = std::to_string(n);
  // A single digit gets a leading zero, after the sign of a negative number.
  const std::size_t digits = n < 0 ? text.size() - 1 : text.size();
  if (digits < 2) text.insert(n < 0 ? 1 : 0, 1, '0');
  return text;
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

std::string clockText(std::int64_t s) {
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

std::string shortTimeText(double count) {
  const std::string full = timeText(count, ".");
  const std::size_t arrow = full.find("=> ");
  std::string clock = arrow == std::string::npos ? full : full.substr(arrow + 3);
  // "2d 14:05:59" loses its seconds; a count that is no clock stays as it is.
  if (clock.size() > 3 && clock.find('d') != std::string::npos) clock.resize(clock.size() - 3);
  return clock;
}

std::string timeText(double count, std::string_view separator) {
  const double seconds = count / 384;
  const double whole = roundHalfEven(seconds);
  const std::string clock = std::isfinite(whole) && fitsInt64(whole) && std::fabs(whole) < 1e17
                                ? clockText(static_cast<std::int64_t>(whole))
                                : wholeText(seconds);
  return hashPatternText(seconds, separator) + " sec  => " + clock;
}

std::string channelText(int channel, double x, std::string_view separator) {
  switch (channel) {
    case 0: return timeText(x, separator);
    case 1:
    case 6:
    case 27:
    case 28: return wholeText(x);  // the capacities and the two counters
    case 26:
    case 29: return hexText(x);  // the file-system pointer and the status byte
    default: return twoDecimalsText(x, separator);
  }
}

}  // namespace twk
