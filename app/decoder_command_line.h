#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace twk {

// What twk-decoder's command line asks for. It is read before any QApplication exists, so that
// --help and --version work without a display.
struct DecoderCommandLine {
  // Set when the program ends without a window: its answer has been written already.
  std::optional<int> exitStatus;
  // The logs to open at start, in the given order.
  std::vector<std::string> logs;
  // The program's name, then Qt's own options, each option's value as an argument of its own.
  std::vector<std::string> qtArguments;
};

// Reads arguments (the program's name first). --help and --version write to out and give exit
// status 0; a wrong option writes the usage to err and gives 2.
DecoderCommandLine readDecoderCommandLine(const std::vector<std::string>& arguments,
                                          std::ostream& out, std::ostream& err);

}  // namespace twk
