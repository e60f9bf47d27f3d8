#pragma once

#include <string>
#include <string_view>

#include "common/ascii_text.h"

namespace harvel {

// The path of an absolute URL: what follows the host, up to the query or the
// fragment. "" when the URL has no path.
std::string_view UrlPath(std::string_view url);

// The last segment of the URL's path ("" for a path that ends with "/").
std::string_view LastPathSegment(std::string_view url);

// The ending of the URL's last path segment, in lower case and without its
// ".": "jpg" for .../Photo.JPG?w=800. "" when the segment holds no ".".
std::string UrlEnding(std::string_view url);

// The ending of a file name, in lower case and without its ".".
std::string NameEnding(std::string_view name);

// gif, jpg, jpeg, png, webp, avif, svg; ico only where `asIcon` is set.
bool IsPictureTypeEnding(std::string_view ending, bool asIcon);

// htm, html, shtml, xhtml.
bool IsPageTypeEnding(std::string_view ending);

// Endings of pages made by a server program: php, asp, aspx, jsp, cfm ...
bool IsScriptPageEnding(std::string_view ending);

}  // namespace harvel
