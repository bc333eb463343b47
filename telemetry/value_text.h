#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace twk {

// Number texts. Every function that writes a fraction takes the decimal separator.

// The general number text of the CSV file: up to 15 significant digits, trailing zeros and a
// trailing separator dropped, exponent form below 0.0001 and from 1E+15 up ("1E-05"); never
// "-0".
std::string generalText(double x, std::string_view separator);
void appendGeneralText(std::string& out, double x, std::string_view separator);

// Pattern "#.##": two decimals at most, halves away from zero judged on the value's
// 15-significant-digit form; no leading zero, the separator always (0 gives ".").
std::string hashPatternText(double x, std::string_view separator);
// Pattern "#.00": as "#.##" with exactly two decimals (0 gives ".00").
std::string twoDecimalsText(double x, std::string_view separator);
// Pattern "00": at least two digits.
std::string twoDigitsText(std::int64_t n);

// The value rounded half to even, in decimal; the full range of an unsigned 32-bit count.
std::string wholeText(double x);
// The value rounded half to even, in upper-case hexadecimal without prefix.
std::string hexText(double x);

// Seconds as days and clock time: "1d 01:01:01", "-1d 23:59:59".
std::string clockText(std::int64_t seconds);
// The on-board time count (1/384 s): "3215.02 sec  => 0d 00:53:35".
std::string timeText(double count, std::string_view separator);
// The clock part of timeText to the minute, for the chart's labels: "2d 14:05"; a count too
// large for a clock gives the whole seconds.
std::string shortTimeText(double count);

// The 15 significant digits of a magnitude from 1e-5 to below 1e15, rounded to nearest with ties
// to even on its exact value as printf rounds, and the power of ten of the first; digits may be
// 10^15, a round-up into the next decade. False outside that range (printf's way is needed).
// Every number text rounds with it.
bool roundedFifteenDigits(double magnitude, std::uint64_t& digits, int& exponent);

// The value panel's text of channel n.
std::string channelText(int channel, double x, std::string_view separator);

}  // namespace twk
