#pragma once

#include <string>

namespace harvel {

// True when a target folder named `title` would not lie inside Harvel's folder:
// an absolute path, a title holding "/" or "\", or "..".
bool TitleLeadsOutside(const std::string& title);

}  // namespace harvel
