#pragma once

#include <string>
#include <utility>
#include <vector>

namespace twk::test {

// A telemetry line whose frame holds the given bytes (position, value) and zeros elsewhere up to
// position 82, the last one the conversion reads; bytes that travel escaped are escaped.
std::string telemetryLine(const std::vector<std::pair<int, int>>& bytes);

// Writes lines (each ended with CR LF) to a file of this test process and returns its path.
std::string writeLog(const std::string& name, const std::vector<std::string>& lines);

// A station log of the given number of beacons written by twk-loggen, made once per process.
std::string generatedLog(int packets, int seed);

}  // namespace twk::test
