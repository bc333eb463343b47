#pragma once

#include <cstdint>
#include <string_view>

namespace twk {

// One byte's hex text, as the byte loop hands it over: at most two characters. The value of the
// leading hex digits (either case), read up to the first character that is not one: "4B" 75,
// "7" 7, "4G" 4; text without a leading hex digit ("ZZ", "G4", "", and the bare prefixes "0X"
// and "&H", which leave no digit to read) gives 0.
std::int32_t HexToDec(std::string_view pair);

}  // namespace twk
