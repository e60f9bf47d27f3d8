#include "crawl/modern/url_ending.h"

#include <array>

namespace harvel {

std::string_view UrlPath(std::string_view url) {
  const std::size_t end = url.find_first_of("?#");
  std::string_view rest = url.substr(0, end);
  const std::size_t scheme = rest.find("://");
  if (scheme == std::string_view::npos)
    return rest;
  rest.remove_prefix(scheme + 3);
  const std::size_t slash = rest.find('/');
  return slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
}

std::string_view LastPathSegment(std::string_view url) {
  const std::string_view path = UrlPath(url);
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
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
  static constexpr std::array<std::string_view, 7> kPictures = {"gif",  "jpg",  "jpeg", "png",
                                                                "webp", "avif", "svg"};
  for (std::string_view picture : kPictures) {
    if (ending == picture)
      return true;
  }
  return asIcon && ending == "ico";
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
