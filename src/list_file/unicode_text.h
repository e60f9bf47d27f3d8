#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace harvel {

// The size in bytes of the UTF-8 character that `text` starts with; 1 for a
// byte that does not start a well-formed character (0 for no bytes).
std::size_t Utf8CharSize(std::string_view text);

// `text` with every byte that is not part of a well-formed UTF-8 character
// replaced by U+FFFD.
std::string ValidUtf8(std::string_view text);

// UTF-16LE bytes to UTF-8; a lone surrogate or an odd last byte becomes U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes);
// The same for UTF-16BE bytes.
std::string Utf16BeToUtf8(std::string_view bytes);

}  // namespace harvel
