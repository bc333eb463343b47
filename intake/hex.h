#pragma once

#include <cstdint>
#include <string_view>

namespace twk {

// Hex text to a number: an optional "0X" or "&H" prefix (either case), then hex digits read up
// to the first character that is not one. Text without a leading hex digit gives 0, and so does
// a number that needs more than 32 bits; eight digits wrap to a signed value.
std::int32_t HexToDec(std::string_view text);

// The fast form the byte loop uses: the leading hex digits of one or two characters.
std::int32_t hexPairValue(std::string_view pair);

}  // namespace twk
