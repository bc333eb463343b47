// Every number text for any double (NaN, infinities, subnormals, -0.0 included) with both
// decimal separators; the 15-digit text must match printf's rounding of the exact value, and the
// in-place writer must give the same bytes.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "telemetry/general_text_writer.h"
#include "telemetry/value_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace twk;
  if (size < 9) return 0;
  double x;
  std::memcpy(&x, data, sizeof x);
  const std::string separator = (data[8] & 1) != 0 ? "," : ".";
  (void)channelText(data[8] % 31, x, separator);
  (void)hexText(x);
  (void)timeText(x, separator);
  char written[kGeneralTextRoom + 1];
  TWK_FUZZ_CHECK(std::string(written, writeGeneralText(written, x, separator)) ==
                 generalText(x, separator));
  if (!std::isfinite(x)) return 0;

  char reference[64];
  std::snprintf(reference, sizeof reference, "%.15G", x == 0 ? 0.0 : x);
  std::string expected = reference;
  if (const auto dot = expected.find('.'); dot != std::string::npos)
    expected.replace(dot, 1, separator);
  TWK_FUZZ_CHECK(generalText(x, separator) == expected);

  // "#.00" has two digits after the separator and never reads "-0"; "#.##" is it without
  // trailing zeros.
  const std::string two = twoDecimalsText(x, separator);
  TWK_FUZZ_CHECK(two.size() >= separator.size() + 2 &&
                 two.compare(two.size() - 2 - separator.size(), separator.size(), separator) == 0);
  TWK_FUZZ_CHECK(two.find("-0" + separator) == std::string::npos &&
                 two.find("-" + separator + "00") == std::string::npos);
  std::string trimmed = two;
  while (trimmed.back() == '0') trimmed.pop_back();
  TWK_FUZZ_CHECK(hashPatternText(x, separator) == trimmed);
  if (std::fabs(x) < 9e15)
    TWK_FUZZ_CHECK(wholeText(x) == std::to_string(static_cast<long long>(std::nearbyint(x))));
  if (std::fabs(x) < 2147483648.0) {
    const std::string clock = clockText(static_cast<std::int64_t>(x));
    TWK_FUZZ_CHECK(clock.size() >= 11 && clock[clock.size() - 3] == ':');
  }
  return 0;
}
