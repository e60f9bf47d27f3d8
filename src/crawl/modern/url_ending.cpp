#include "crawl/modern/url_ending.h"

#include <array>

#include "common/picture_format.h"
#include "common/url_parts.h"

namespace harvel {

std::string_view UrlPath(std::string_view url) {
  return SplitUrlText(url).path;
}

std::string_view LastPathSegment(std::string_view url) {
  const std::string_view path = UrlPath(url);
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string NameEnding(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos)
    return {};
  return AsciiLower(name.substr(dot + 1));
}

std::string UrlEnding(std::string_view url) {
  return NameEnding(LastPathSegment(url));
}

bool IsPictureTypeEnding(std::string_view ending, bool asIcon) {
  const PictureEnding* picture = FindPictureEnding(ending);
  return picture != nullptr &&
         (picture->modernPicture || (asIcon && picture->format == PictureFormat::Ico));
}

bool IsScriptPageEnding(std::string_view ending) {
  static constexpr std::array<std::string_view, 8> kScripts = {"php",  "php3", "phtml", "asp",
                                                               "aspx", "jsp",  "cfm",   "do"};
  for (std::string_view script : kScripts) {
    if (ending == script)
      return true;
  }
  return false;
}

bool IsPageTypeEnding(std::string_view ending) {
  return ending == "htm" || ending == "html" || ending == "shtml" || ending == "xhtml";
}

}  // namespace harvel
