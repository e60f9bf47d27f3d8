#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace harvel {

// One well-formed UTF-8 character: its code point and its length in bytes.
struct Utf8Char {
  char32_t codePoint = 0;
  std::size_t length = 0;
};

// The character that `text` starts with; nullopt when the bytes there are no
// well-formed UTF-8 (a stray or missing continuation byte, an overlong form,
// a surrogate, a code point past U+10FFFF) or `text` is empty.
std::optional<Utf8Char> DecodeUtf8(std::string_view text);

// Whether `byte` continues a character rather than starting one.
inline bool IsUtf8Continuation(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Whether all of `text` is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

// `text` with every byte that is not part of a well-formed character replaced
// by U+FFFD.
std::string ValidUtf8(std::string_view text);

// `c` (at most U+10FFFF) written as UTF-8 at the end of `out`.
void AppendUtf8(char32_t c, std::string& out);

}  // namespace harvel
