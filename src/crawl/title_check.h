#pragma once

#include <optional>
#include <string>

namespace harvel {

// True when `title` cannot name a crawl's folder inside Harvel's folder: an
// empty title, "." or ".." (Harvel's folder itself or the one above it), an
// absolute path, a title holding "/" or "\", or one holding a control
// character (a zero byte would cut the path short; a line break would split
// the lines of a log).
bool TitleIsRefused(const std::string& title);

// The folder of the title `title` inside Harvel's folder `harvelFolder`;
// nullopt when the title is refused.
std::optional<std::string> TitleFolder(const std::string& harvelFolder, const std::string& title);

}  // namespace harvel
