#pragma once

#include <filesystem>
#include <string>

namespace harvel {

// Paths travel through the program as UTF-8 text; these convert at the edge to
// the file system, so that the same code works where paths are not UTF-8.
std::filesystem::path PathFromText(const std::string& utf8);
std::string TextFromPath(const std::filesystem::path& path);

}  // namespace harvel
