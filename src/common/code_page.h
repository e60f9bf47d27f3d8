#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace harvel {

// Code page 932 is Windows' Japanese code page: Shift_JIS with Microsoft's
// mapping ("～" is U+FF5E, "－" U+FF0D) and the NEC and IBM extensions.

// The size in bytes of the code page 932 character that `bytes` starts with:
// 2 for a lead byte with a byte after it, otherwise 1 (0 for no bytes).
std::size_t Cp932CharSize(std::string_view bytes);

// Code page 932 to UTF-8; nullopt for bytes that are not valid code page 932.
std::optional<std::string> Cp932ToUtf8(std::string_view bytes);

// As Cp932ToUtf8, but every byte that cannot be read becomes U+FFFD.
std::string Cp932ToUtf8Lossy(std::string_view bytes);

// UTF-8 to code page 932, the bytes Windows writes; nullopt when a character
// has no code page 932 form (or the text is not valid UTF-8). A character that
// would come back as another one ("〜" U+301C and "～" U+FF5E share one code)
// has no code page 932 form: what converts also converts back unchanged.
std::optional<std::string> Utf8ToCp932(std::string_view utf8);

}  // namespace harvel
