#include "crawl/file_type.h"

#include <algorithm>

namespace harvel {

std::vector<std::string> SplitUserExt(std::string_view text) {
  std::vector<std::string> pieces;
  if (text.empty())
    return pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) {
      pieces.emplace_back(text.substr(start));
      return pieces;
    }
    pieces.emplace_back(text.substr(start, comma - start));
    start = comma + 1;
  }
}

int IsFileType(std::string_view name, const UserExtList& userExt) {
  // Only entries 0 to 50 are ever looked at.
  constexpr std::size_t kExamined = 51;
  if (!userExt)
    return 0;
  const std::size_t count = std::min(userExt->size(), kExamined);
  for (std::size_t i = 0; i < count; ++i) {
    if (name.ends_with((*userExt)[i]))
      return 1;
  }
  return 0;
}

}  // namespace harvel
