#pragma once

#include <optional>
#include <string>

namespace harvel {

// True when the file at `path` (UTF-8) holds two zero bytes in a row anywhere.
// nullopt when the test cannot be made: no such file, an empty file, something
// that is not an ordinary file (a folder, a pipe), or a read error. Never creates a file, never
// leaves it open, and reads in blocks so that large files take little memory.
std::optional<bool> IsBinaryFile(const std::string& path);

}  // namespace harvel
