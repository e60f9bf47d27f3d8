#include "crawl/title_check.h"

#include "common/path_text.h"

namespace harvel {

bool TitleLeadsOutside(const std::string& title) {
  if (title == ".." || title.find_first_of("/\\") != std::string::npos)
    return true;
  const std::filesystem::path path = PathFromText(title);
  return path.is_absolute() || path.has_root_path();
}

}  // namespace harvel
