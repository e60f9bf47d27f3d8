#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace harvel {

// Code page 932 (Japanese Windows) to UTF-8; nullopt for bytes that are not
// valid code page 932.
std::optional<std::string> Cp932ToUtf8(std::string_view bytes);

// UTF-8 to code page 932; nullopt when a character has no code page 932 form
// (or the text is not valid UTF-8).
std::optional<std::string> Utf8ToCp932(std::string_view utf8);

}  // namespace harvel
