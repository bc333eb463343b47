#include "app/decoder_command_line.h"

#include <gtest/gtest.h>

#include <sstream>

namespace twk {
namespace {

using Args = std::vector<std::string>;

// What a command line comes to, in one line: the exit status and the first word written to
// standard output or standard error, "usage" when the usage follows on standard error; or the
// logs in brackets and what Qt gets after the program's name.
std::string outcome(Args arguments) {
  arguments.insert(arguments.begin(), "/usr/bin/twk-decoder");
  std::ostringstream out, err;
  const DecoderCommandLine line = readDecoderCommandLine(arguments, out, err);
  const auto first = [](const std::string& s) { return s.substr(0, s.find(' ')); };
  if (line.exitStatus) {
    return "exit " + std::to_string(*line.exitStatus) + " out:" + first(out.str()) +
           " err:" + first(err.str()) +
           (err.str().find("\nUsage: twk-decoder ") != std::string::npos ? " usage" : "");
  }
  std::string text = "logs:";
  for (const std::string& log : line.logs) text += " [" + log + "]";
  text += " qt:";
  for (std::size_t i = 1; i < line.qtArguments.size(); ++i) text += " " + line.qtArguments[i];
  if (line.qtArguments.front() != arguments.front()) text += " (no program name)";
  return text + (out.str().empty() && err.str().empty() ? "" : " (wrote)");
}

TEST(DecoderCommandLine, LogsQtOptionsAndAnswersWithoutAWindow) {
  const std::pair<Args, std::string> cases[] = {
      {{}, "logs: qt:"},
      {{"b.log", "a.log", "-", ""}, "logs: [b.log] [a.log] [-] [] qt:"},
      {{"a.log", "--help"}, "exit 0 out:Usage: err:"},
      {{"-h"}, "exit 0 out:Usage: err:"},
      {{"--version", "--bogus"}, "exit 0 out:twk-decoder err:"},
      {{"-V"}, "exit 0 out:twk-decoder err:"},
      {{"a.log", "--bogus"}, "exit 2 out: err:twk-decoder: usage"},
      {{"-x", "a.log"}, "exit 2 out: err:twk-decoder: usage"},
      {{"-reverse=yes"}, "exit 2 out: err:twk-decoder: usage"},  // a flag given a value
      {{"-plat", "offscreen"}, "exit 2 out: err:twk-decoder: usage"},
      {{"a.log", "-platform"}, "exit 2 out: err:twk-decoder: usage"},  // without its value
      {{"-platform", "offscreen", "a.log", "--style=Fusion", "-reverse", "b.log", "--geometry",
        "640x480+0+0"},
       "logs: [a.log] [b.log] qt: -platform offscreen -style Fusion -reverse -geometry "
       "640x480+0+0"},
      // A Qt option's value that looks like an option or a log.
      {{"-qwindowtitle", "-V", "-display", ":1"}, "logs: qt: -qwindowtitle -V -display :1"},
      {{"a.log", "--", "-b.log", "--help", "-platform", "--"},
       "logs: [a.log] [-b.log] [--help] [-platform] [--] qt:"},
  };
  for (const auto& [arguments, expected] : cases)
    EXPECT_EQ(outcome(arguments), expected) << testing::PrintToString(arguments);
}

}  // namespace
}  // namespace twk
