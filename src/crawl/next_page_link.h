#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace harvel {

// The kind under which the record keeps a page's next-page link, beside the
// kinds of each reader's own links (which a reader that does not know it
// passes over).
inline constexpr int kNextPageLinkKind = 100;

// The "next page" link of a page as the scan reader sees it: the href of its
// first <link rel="next"> or <a rel="next"> (tags and attribute names in any
// case, values in double, single or no quotes), resolved against `pageUrl`.
// nullopt when the page has none.
std::optional<std::string> NextPageLink(std::string_view page, const std::string& pageUrl);

// The same with the HTML parser, against the page's <base href>: the first
// link or a with rel="next", and failing one, the first a whose text or
// aria-label is a next marker.
std::optional<std::string> ModernNextPageLink(std::string_view page, const std::string& pageUrl);

// Whether a rel attribute holds the token "next" (in any case).
bool RelSaysNext(std::string_view rel);

// Whether the text of a link says "next page": 次へ, 次のページ(へ), Next,
// Next page, ›, », →, >, >> on their own or beside one of the words; spaces
// around it and the case of the words do not count.
bool IsNextMarker(std::string_view text);

}  // namespace harvel
