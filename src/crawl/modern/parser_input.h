#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace harvel {

// The HTML parser takes time that grows with the square of the nesting depth,
// so a page of nothing but "<div>" would hold a crawl for minutes. This drops
// every start tag that would open an element deeper than `limit` (its own
// attributes with it); what such elements hold is kept. nullopt when the page
// never nests that deep and can be read as it stands.
std::optional<std::string> LimitNesting(std::string_view page, int limit);

inline constexpr int kNestingLimit = 400;

}  // namespace harvel
