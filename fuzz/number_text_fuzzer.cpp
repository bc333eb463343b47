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

namespace {

bool endsWithTwoDigits(const std::string& text, const std::string& separator) {
  const std::size_t n = text.size();
  return n >= separator.size() + 2 &&
         text.compare(n - 2 - separator.size(), separator.size(), separator) == 0 &&
         std::isdigit(static_cast<unsigned char>(text[n - 1])) &&
         std::isdigit(static_cast<unsigned char>(text[n - 2]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace twk;
  if (size < 9) return 0;
  double x;
  std::memcpy(&x, data, sizeof x);
  const std::string separator = (data[8] & 1) != 0 ? "," : ".";
  const int channel = data[8] % 31;

  const std::string general = generalText(x, separator);
  char written[kGeneralTextRoom + 1];
  TWK_FUZZ_CHECK(std::string(written, writeGeneralText(written, x, separator)) == general);
  if (std::isfinite(x)) {
    char reference[64];
    std::snprintf(reference, sizeof reference, "%.15G", x == 0 ? 0.0 : x);
    std::string expected = reference;
    if (const auto dot = expected.find('.'); dot != std::string::npos) {
      expected.replace(dot, 1, separator);
    }
    TWK_FUZZ_CHECK(general == expected);

    const std::string two = twoDecimalsText(x, separator);
    TWK_FUZZ_CHECK(endsWithTwoDigits(two, separator));
    TWK_FUZZ_CHECK(two.find("-0" + separator) == std::string::npos);
    const std::string hash = hashPatternText(x, separator);
    TWK_FUZZ_CHECK(hash.find(separator) != std::string::npos);
    // "#.##" is "#.00" with trailing zeros dropped.
    std::string trimmed = two;
    while (trimmed.back() == '0') trimmed.pop_back();
    TWK_FUZZ_CHECK(hash == trimmed);

    if (std::fabs(x) < 9e15) {
      const double rounded = std::nearbyint(x);
      TWK_FUZZ_CHECK(wholeText(x) == std::to_string(static_cast<long long>(rounded)));
    }
  }
  (void)hexText(x);
  (void)timeText(x, separator);
  (void)channelText(channel, x, separator);
  if (x >= -2147483648.0 && x <= 2147483647.0) {
    const std::string clock = SecToTime(static_cast<std::int64_t>(x));
    TWK_FUZZ_CHECK(clock.size() >= 11 && clock[clock.size() - 3] == ':');
  }
  return 0;
}
