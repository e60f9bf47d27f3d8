#pragma once

#include <string>

namespace harvel {

// True when `title` cannot name a crawl's folder inside Harvel's folder: an
// empty title, "." or ".." (Harvel's folder itself or the one above it), an
// absolute path, a title holding "/" or "\", or one holding a control
// character (a zero byte would cut the path short; a line break would split
// the lines of a log).
bool TitleIsRefused(const std::string& title);

}  // namespace harvel
