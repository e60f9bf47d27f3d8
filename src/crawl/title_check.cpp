#include "crawl/title_check.h"

#include <algorithm>

#include "common/path_text.h"

namespace harvel {

bool TitleIsRefused(const std::string& title) {
  if (title.empty() || title == "." || title == ".." ||
      title.find_first_of("/\\") != std::string::npos)
    return true;
  const bool control = std::any_of(title.begin(), title.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
  });
  if (control)
    return true;
  const std::filesystem::path path = PathFromText(title);
  return path.is_absolute() || path.has_root_path();
}

std::optional<std::string> TitleFolder(const std::string& harvelFolder, const std::string& title) {
  if (TitleIsRefused(title))
    return std::nullopt;
  return harvelFolder + "/" + title;
}

}  // namespace harvel
