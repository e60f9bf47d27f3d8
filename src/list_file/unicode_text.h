#pragma once

#include <string>
#include <string_view>

namespace harvel {

// UTF-16LE bytes to UTF-8; a lone surrogate or an odd last byte becomes U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes);
// The same for UTF-16BE bytes.
std::string Utf16BeToUtf8(std::string_view bytes);

}  // namespace harvel
