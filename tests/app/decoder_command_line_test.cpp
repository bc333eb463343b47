#include "app/decoder_command_line.h"

#include <gtest/gtest.h>

#include <sstream>

namespace twk {
namespace {

using Args = std::vector<std::string>;

struct Case {
  const char* what;
  Args arguments;  // after the program's name
  std::optional<int> exitStatus;
  Args logs;
  Args qtArguments;      // after the program's name
  const char* outStart;  // what standard output starts with; "" for nothing
  const char* errStart;  // the same for standard error
};

TEST(DecoderCommandLineTest, LogsQtOptionsAndAnswersWithoutAWindow) {
  const char* usageError = "twk-decoder: ";
  const std::vector<Case> cases = {
      {"nothing", {}, {}, {}, {}, "", ""},
      {"logs in order", {"b.log", "a.log", "-", ""}, {}, {"b.log", "a.log", "-", ""}, {}, "", ""},
      {"help", {"a.log", "--help"}, 0, {}, {}, "Usage: twk-decoder ", ""},
      {"short help", {"-h"}, 0, {}, {}, "Usage: twk-decoder ", ""},
      {"version", {"--version", "--bogus"}, 0, {}, {}, "twk-decoder ", ""},
      {"short version", {"-V"}, 0, {}, {}, "twk-decoder ", ""},
      {"unknown option", {"a.log", "--bogus"}, 2, {}, {}, "", usageError},
      {"unknown short option", {"-x", "a.log"}, 2, {}, {}, "", usageError},
      {"a flag given a value", {"-reverse=yes"}, 2, {}, {}, "", usageError},
      {"a prefix of an option", {"-plat", "offscreen"}, 2, {}, {}, "", usageError},
      {"Qt option without its value", {"a.log", "-platform"}, 2, {}, {}, "", usageError},
      {"Qt options among logs",
       {"-platform", "offscreen", "a.log", "--style=Fusion", "-reverse", "b.log", "--geometry",
        "640x480+0+0"},
       {},
       {"a.log", "b.log"},
       {"-platform", "offscreen", "-style", "Fusion", "-reverse", "-geometry", "640x480+0+0"},
       "",
       ""},
      {"a Qt option's value that looks like a log or an option",
       {"-qwindowtitle", "-V", "-display", ":1"},
       {},
       {},
       {"-qwindowtitle", "-V", "-display", ":1"},
       "",
       ""},
      {"-- ends the options",
       {"a.log", "--", "-b.log", "--help", "-platform", "--"},
       {},
       {"a.log", "-b.log", "--help", "-platform", "--"},
       {},
       "",
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Args arguments = {"/usr/bin/twk-decoder"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    Args qt = {"/usr/bin/twk-decoder"};
    qt.insert(qt.end(), c.qtArguments.begin(), c.qtArguments.end());
    std::ostringstream out, err;

    const DecoderCommandLine line = readDecoderCommandLine(arguments, out, err);

    EXPECT_EQ(line.exitStatus, c.exitStatus);
    if (!c.exitStatus) {
      EXPECT_EQ(line.logs, c.logs);
      EXPECT_EQ(line.qtArguments, qt);
    }
    EXPECT_EQ(out.str().rfind(c.outStart, 0), 0u) << out.str();
    EXPECT_EQ(err.str().rfind(c.errStart, 0), 0u) << err.str();
    EXPECT_EQ(out.str().empty(), *c.outStart == '\0');
    EXPECT_EQ(err.str().empty(), *c.errStart == '\0');
    // A wrong option's answer ends with the usage.
    EXPECT_EQ(err.str().find("\nUsage: twk-decoder ") != std::string::npos, c.exitStatus == 2);
  }
}

}  // namespace
}  // namespace twk
