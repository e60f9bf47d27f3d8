#include "common/url_scheme.h"

#include <cctype>

namespace harvel {

std::string UrlScheme(std::string_view url) {
  std::size_t end = 0;
  while (end < url.size()) {
    const auto c = static_cast<unsigned char>(url[end]);
    const bool schemeChar = std::isalpha(c) != 0 ||
                            (end > 0 && (std::isdigit(c) != 0 || c == '+' || c == '-' || c == '.'));
    if (!schemeChar)
      break;
    ++end;
  }
  if (end == 0 || end >= url.size() || url[end] != ':')
    return {};
  if (end + 1 < url.size() && std::isdigit(static_cast<unsigned char>(url[end + 1])) != 0)
    return {};  // a host and its port
  std::string scheme(url.substr(0, end));
  for (char& c : scheme)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return scheme;
}

bool IsDownloadableScheme(std::string_view scheme) {
  return scheme == "http" || scheme == "https" || scheme == "ftp";
}

bool IsDownloadableUrl(std::string_view url) {
  const std::string scheme = UrlScheme(url);
  return scheme.empty() || IsDownloadableScheme(scheme);
}

}  // namespace harvel
