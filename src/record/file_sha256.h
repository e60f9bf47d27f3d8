#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace harvel {

// The SHA-256 digest (32 bytes) of the ordinary file at `path`; nullopt when
// it cannot be read.
std::optional<std::string> FileSha256(const std::string& path);

// The digest of `bytes`.
std::string Sha256(std::string_view bytes);

// The digest as 64 lower-case hexadecimal digits.
std::string HexText(std::string_view bytes);

}  // namespace harvel
