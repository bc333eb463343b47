#include "telemetry/general_text_writer.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "telemetry/powers_of_ten.h"
#include "telemetry/value_text.h"

namespace twk {
namespace {

constexpr std::uint64_t kZeros = 0x3030303030303030ULL;

// The eight decimal digits of n < 10^8 as ASCII, first digit in the lowest byte: the halves,
// then the pairs, then the single digits are split in parallel lanes of one 64-bit word.
std::uint64_t eightDigits(std::uint32_t n) {
  const std::uint64_t x = (n / 10000) | (static_cast<std::uint64_t>(n % 10000) << 32);
  const std::uint64_t hundreds = ((x * 10486) >> 20) & 0x0000007F0000007FULL;
  const std::uint64_t pairs = hundreds | ((x - 100 * hundreds) << 16);
  const std::uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000FULL;
  return (tens | ((pairs - 10 * tens) << 8)) + kZeros;
}

// Writes the digits of n < 10^8 without leading zeros ("0" for 0).
char* writeSmall(char* out, std::uint32_t n) {
  const std::uint64_t digits = eightDigits(n);
  const int leading = n == 0 ? 7 : std::countr_zero(digits - kZeros) / 8;
  const std::uint64_t shifted = digits >> (8 * leading);
  std::memcpy(out, &shifted, 8);
  return out + 8 - leading;
}

constexpr std::uint64_t kPow5[] = {1, 5, 25, 125, 625, 3125, 15625, 78125, 390625};

// The text the reference writer gives, for the values the fast path leaves to it: exponent
// forms, non-finite values, and decades that a double's nearest power of ten misjudges.
char* writeByReference(char* out, double x, std::string_view separator) {
  thread_local std::string text;
  text.clear();
  appendGeneralText(text, x, separator);
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

// The separator is nearly always one character: no call for that.
char* writeSeparator(char* out, std::string_view separator) {
  if (separator.size() == 1) {
    *out = separator[0];
    return out + 1;
  }
  std::memcpy(out, separator.data(), separator.size());
  return out + separator.size();
}

}  // namespace

char* writeUnsigned(char* out, std::uint64_t n) {
  if (n < kPow10[8]) return writeSmall(out, static_cast<std::uint32_t>(n));
  if (n >= kPow10[16]) return std::to_chars(out, out + 20, n).ptr;
  out = writeSmall(out, static_cast<std::uint32_t>(n / kPow10[8]));
  const std::uint64_t low = eightDigits(static_cast<std::uint32_t>(n % kPow10[8]));
  std::memcpy(out, &low, 8);
  return out + 8;
}

char* writeGeneralText(char* out, double x, std::string_view separator) {
  const double magnitude = std::fabs(x);
  if (!(magnitude < 1e15)) return writeByReference(out, x, separator);
  // Zero, counts and whole words: plain digits, as the reference writes them.
  const auto truncated = static_cast<std::uint64_t>(magnitude);
  if (static_cast<double>(truncated) == magnitude) {
    if (x < 0) *out++ = '-';
    return writeUnsigned(out, truncated);
  }
  if (magnitude < 1e-4) return writeByReference(out, x, separator);

  // magnitude = m x 2^-shift exactly; it is not whole, so shift is 1 to 66.
  std::uint64_t bits;
  std::memcpy(&bits, &magnitude, sizeof bits);
  const int biased = static_cast<int>(bits >> 52);
  const std::uint64_t m = (bits & ((1ULL << 52) - 1)) | (1ULL << 52);
  const int shift = 1075 - biased;

  // A few binary fraction digits: magnitude = whole + fraction / 2^places, and the fraction is
  // fraction x 5^places / 10^places, whose digits end in 5. With at most 15 digits in all the
  // text is exact, without rounding.
  const int zeros = std::countr_zero(m);
  const int places = shift - zeros;
  if (places <= 8) {
    const std::uint64_t odd = m >> zeros;
    const std::uint64_t whole = odd >> places;
    if (whole < kPow10[15 - places]) {
      if (x < 0) *out++ = '-';
      out = writeSeparator(writeUnsigned(out, whole), separator);
      const auto fraction = (odd & ((1U << places) - 1)) * kPow5[places];
      const std::uint64_t digits = eightDigits(static_cast<std::uint32_t>(fraction));
      const std::uint64_t last = digits >> (8 * (8 - places));  // the last places digits
      std::memcpy(out, &last, 8);
      return out + places;
    }
  }
  std::uint64_t fifteen = 0;
  int exponent = 0;
  if (!roundedFifteenDigits(magnitude, fifteen, exponent) || fifteen == kPow10[15]) {
    return writeByReference(out, x, separator);  // 1E+15, or a decade misjudged
  }

  // A zero, the 15 digits, then room for the fixed-size copies below.
  char digits[32] = {};
  const std::uint64_t high = eightDigits(static_cast<std::uint32_t>(fifteen / kPow10[8]));
  const std::uint64_t low = eightDigits(static_cast<std::uint32_t>(fifteen % kPow10[8]));
  std::memcpy(digits, &high, 8);
  std::memcpy(digits + 8, &low, 8);
  const char* first = digits + 1;
  const int trailing =
      low != kZeros ? std::countl_zero(low - kZeros) / 8 : 8 + std::countl_zero(high - kZeros) / 8;
  const int count = 15 - trailing;

  if (x < 0) *out++ = '-';
  if (exponent < 0) {
    *out++ = '0';
    out = writeSeparator(out, separator);
    std::memcpy(out, "0000", 4);
    out += -exponent - 1;
    std::memcpy(out, first, 16);
    return out + count;
  }
  const int integer = exponent + 1;
  std::memcpy(out, first, 16);
  if (count <= integer) return out + integer;
  out = writeSeparator(out + integer, separator);
  std::memcpy(out, first + integer, 16);
  return out + (count - integer);
}

}  // namespace twk
