#pragma once

#include <string>

namespace harvel {

// GetFileName: the local file name of a URL, stored flat in the target's folder.
// Never empty and never a name that means a folder ("", ".", ".."); never holds "/".
std::string GetFileName(const std::string& url);

}  // namespace harvel
