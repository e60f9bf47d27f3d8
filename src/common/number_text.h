#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace harvel {

// Converts a typed number to a 16-bit signed integer the way the program reads
// a level or a list-file count: spaces around it are ignored, a sign and a
// fraction are allowed, a fraction rounds to the nearest whole number and a
// half to the even one (2.5 gives 2, 3.5 gives 4). Empty text, text that is
// not a number and numbers outside -32768..32767 give nullopt.
std::optional<std::int16_t> TextToInt16(std::string_view text);

// Plain decimal text: no sign for positive numbers, no padding.
std::string DecimalText(std::int64_t value);

}  // namespace harvel
