#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace harvel {

// The picture URLs of a style sheet or a style= attribute, in order: every
// url(...) in any quoting and every string of an image-set(...). Comments,
// @import targets and data: URLs are left out.
std::vector<std::string> CssUrls(std::string_view css);

}  // namespace harvel
