#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace harvel {

// The bytes of the regular file at `path`; nullopt when it cannot be read, is
// no regular file, or holds more than `limit` bytes.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path, std::uintmax_t limit);

// Puts `bytes` in the file at `path`, all or nothing: they go into a new file
// in the same folder, which then takes the place of the old one (keeping its
// permissions). False, with the old file as it was, when that fails or the old
// file may not be written.
bool ReplaceFileBytes(const std::filesystem::path& path, std::string_view bytes);

}  // namespace harvel
