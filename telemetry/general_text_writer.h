#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace twk {

// The room a general number text needs besides its separator. The text itself is at most 24
// characters; the rest is written over, since the digits are stored in fixed-size pieces.
inline constexpr std::size_t kGeneralTextRoom = 40;

// Writes the general number text of x at out, the same bytes appendGeneralText gives, and
// returns its end. out needs kGeneralTextRoom + separator.size() bytes.
//
// Written by hand for twk-csv's speed: its rows of random channel bytes take about 0.38 us
// each with the conversion (bench/core_bench.cpp, BM_WriteRow/1), where appendCsvRow's texts
// alone, through appendGeneralText, take about 0.66 us a row (BM_AppendCsvRow). The fuzz corpus
// holds both to the same bytes.
char* writeGeneralText(char* out, double x, std::string_view separator);

// Writes n in decimal at out and returns its end; out needs kGeneralTextRoom bytes.
char* writeUnsigned(char* out, std::uint64_t n);

}  // namespace twk
