#include "crawl/file_name.h"

#include <array>
#include <string_view>

namespace harvel {

std::string GetFileName(const std::string& url) {
  static constexpr std::string_view kIndex = "index.html";
  // Names that cannot or should not be stored as they stand.
  static constexpr std::array<std::string_view, 8> kBlocked = {"google", "\\", "*", "?",
                                                               "\"",     "<",  ">", "|"};
  for (std::string_view blocked : kBlocked) {
    if (url.find(blocked) != std::string::npos)
      return std::string(kIndex);
  }
  const std::size_t slash = url.rfind('/');
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  std::string name = url.substr(start);
  // "." and ".." would name the target folder or Harvel's own folder.
  if (name.empty() || name == "." || name == "..")
    return std::string(kIndex);
  return name;
}

}  // namespace harvel
