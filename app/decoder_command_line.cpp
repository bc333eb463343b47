#include "app/decoder_command_line.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace twk {
namespace {

constexpr const char* kUsage = "Usage: twk-decoder [OPTION]... [LOG]...\n";

constexpr const char* kHelp =
    "Shows Tarnwick telemetry logs in a window: the 31 channel values of one packet at a\n"
    "time, one channel charted over all packets, and the CSV export.\n"
    "\n"
    "  LOG...         logs decoded at start as one load, in the given order, as\n"
    "                 \"File > Open\" does with the same selection\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and exit\n"
    "  --             end of options: every later argument is a LOG\n"
    "\n"
    "Qt's own options are handed to Qt, with one dash or two, a value after a blank or\n"
    "an '=': -platform NAME, -style NAME, -geometry WxH+X+Y, -qwindowgeometry WxH+X+Y,\n"
    "-display DISPLAY, -reverse and the others Qt documents.\n"
    "\n"
    "\"Write CSV File\" writes twk_telemetry.csv in the folder that holds twk-decoder.\n"
    "Exit status: 0 when the window is closed or after --help and --version, 2 on wrong usage.\n";

// Qt's own options, those of QGuiApplication, QApplication and the X11 platform.
constexpr std::array<std::string_view, 16> kQtOptionsWithValue = {
    "platform", "platformpluginpath", "platformtheme", "plugin",      "qwindowgeometry",
    "geometry", "qwindowtitle",       "title",         "qwindowicon", "icon",
    "style",    "stylesheet",         "session",       "display",     "name",
    "visual"};
constexpr std::array<std::string_view, 5> kQtFlags = {"reverse", "widgetcount", "testability",
                                                      "dograb", "nograb"};

bool contains(const auto& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

int usageError(std::ostream& err, const std::string& message) {
  err << "twk-decoder: " << message << '\n'
      << kUsage << "Try 'twk-decoder --help' for more information.\n";
  return 2;
}

}  // namespace

DecoderCommandLine readDecoderCommandLine(const std::vector<std::string>& arguments,
                                          std::ostream& out, std::ostream& err) {
  DecoderCommandLine line;
  line.qtArguments.push_back(arguments.empty() ? "twk-decoder" : arguments.front());
  bool optionsEnded = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      line.logs.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "-h" || argument == "--help") {
      out << kUsage << kHelp;
      line.exitStatus = 0;
      return line;
    } else if (argument == "-V" || argument == "--version") {
      out << "twk-decoder " << TWK_VERSION << " (Tarnwick telemetry decoder)\n";
      line.exitStatus = 0;
      return line;
    } else {
      // Qt takes its options with one dash or two; a value may follow an '=' here too.
      std::string_view name = std::string_view(argument).substr(argument[1] == '-' ? 2 : 1);
      std::optional<std::string> value;
      if (const auto equals = name.find('='); equals != std::string_view::npos) {
        value = std::string(name.substr(equals + 1));
        name = name.substr(0, equals);
      }
      if (contains(kQtFlags, name) && !value) {
        line.qtArguments.push_back("-" + std::string(name));
      } else if (contains(kQtOptionsWithValue, name)) {
        if (!value && i + 1 < arguments.size()) value = arguments[++i];
        if (!value) {
          line.exitStatus = usageError(err, "option '" + argument + "' needs a value");
          return line;
        }
        line.qtArguments.push_back("-" + std::string(name));
        line.qtArguments.push_back(*value);
      } else {
        line.exitStatus = usageError(err, "unknown option '" + argument + "'");
        return line;
      }
    }
  }
  return line;
}

}  // namespace twk
