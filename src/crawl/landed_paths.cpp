#include "crawl/landed_paths.h"

#include <filesystem>
#include <system_error>

#include "common/path_text.h"

namespace harvel {

std::int64_t LandedPaths::stillThere() const {
  std::int64_t count = 0;
  for (const std::string& path : paths_) {
    std::error_code error;
    if (std::filesystem::is_regular_file(PathFromText(path), error))
      ++count;
  }
  return count;
}

}  // namespace harvel
