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
char* writeGeneralText(char* out, double x, std::string_view separator);

// Writes n in decimal at out and returns its end; out needs kGeneralTextRoom bytes.
char* writeUnsigned(char* out, std::uint64_t n);

}  // namespace twk
