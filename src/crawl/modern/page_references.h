#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace harvel {

// What a reference on a page stands for.
enum class ReferenceKind {
  Picture,  // shown on the page: img, srcset, lazy data-*, CSS, poster, og:image ...
  Icon,     // link rel=icon, apple-touch-icon: a picture, .ico included
  Link,     // a or area href: a page to follow, or a file the page links to
  Frame,    // frame or iframe src
};

struct PageReference {
  ReferenceKind kind;
  std::string url;  // absolute

  bool operator==(const PageReference&) const = default;
};

// A page is read up to this many bytes; the rest is not looked at.
inline constexpr std::size_t kModernPageLimit = std::size_t{16} << 20;

// Reads `page` (HTML, any quoting and case) with an HTML5 parser and returns
// its references in document order, resolved against the first <base href> or
// else `pageUrl`. References that cannot be made into a URL, javascript: and
// data: URLs are left out; mailto: links stay. Repeats are kept.
std::vector<PageReference> ReadPageReferences(std::string_view page, const std::string& pageUrl);

}  // namespace harvel
