// The limits file as a user may have edited it: any text. Each line it skips is reported once,
// in order, with its own line number, and is no blank line or comment; a key line it reports
// sets nothing (made a comment, the file gives the same limits); and the limits written back
// as the window's limits editor writes them read again as the same limits, with nothing
// reported. Limits are compared as written, in the fewest digits that read back as the same
// number, so two NaNs of different payloads cannot be told apart.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "telemetry/channel_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace twk;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const LimitsTable table = parseLimits(text, "limits.ini");

  std::vector<std::string_view> lines;  // the file's lines as the parser counts them, from 1
  for (std::string_view rest = text; !rest.empty();) {
    const std::size_t eol = rest.find('\n');
    lines.push_back(rest.substr(0, eol));
    rest.remove_prefix(eol == std::string_view::npos ? rest.size() : eol + 1);
  }
  std::uint64_t last = 0;
  std::string commented;  // the text with each reported key line made a comment
  std::size_t next = 0;
  for (const Error& problem : table.problems) {
    TWK_FUZZ_CHECK(problem.kind() == ErrorKind::BadLimit && problem.file() == "limits.ini");
    TWK_FUZZ_CHECK(problem.line() > last && problem.line() <= lines.size());
    last = problem.line();
    const std::string_view line = lines[last - 1];
    const std::size_t first = line.find_first_not_of(" \t\r");
    TWK_FUZZ_CHECK(first != std::string_view::npos && line[first] != ';' && line[first] != '#');
    for (; next < last - 1; ++next) commented += std::string(lines[next]) + "\n";
    commented += line[first] == '[' ? std::string(line) + "\n" : ";\n";
    ++next;
  }
  for (; next < lines.size(); ++next) commented += std::string(lines[next]) + "\n";
  TWK_FUZZ_CHECK(limitsFileText(parseLimits(commented, "limits.ini")) == limitsFileText(table));

  const LimitsTable again = parseLimits(limitsFileText(table), "limits.ini");
  TWK_FUZZ_CHECK(again.problems.empty() && limitsFileText(again) == limitsFileText(table));
  return 0;
}
