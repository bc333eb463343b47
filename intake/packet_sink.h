#pragma once

#include <string>
#include <string_view>

#include "core/error.h"

namespace twk {

// What a view of a load is told besides its packets, in the order of the log.
class PacketSink {
 public:
  virtual ~PacketSink() = default;

  // The file is open and about to be read.
  virtual void fileStarted(const std::string& path) = 0;
  // A telemetry line as the log view shows it: un-escaped, without blanks.
  virtual void lineShown(std::string_view text) = 0;
  // A telemetry line that cannot be stored (LineTooLong), which never becomes a packet. By
  // default the error ends the reading; a sink that reads on past it returns.
  virtual void lineSkipped(const Error& error) { throw error; }
};

}  // namespace twk
