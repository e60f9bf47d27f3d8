#pragma once

#include <string>
#include <string_view>

namespace harvel {

// The URL of the largest candidate of a srcset attribute: the widest when any
// candidate has a width ("800w"), else the densest ("2x"; none means 1x). The
// first of equals wins. "" when the attribute holds no candidate.
std::string LargestSrcsetCandidate(std::string_view srcset);

}  // namespace harvel
