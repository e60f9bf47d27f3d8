#include "common/url_parts.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>

#include "common/ascii_text.h"

namespace harvel {
namespace {

bool IsSchemeChar(char c, bool first) {
  const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  return letter || (!first && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
}

struct UrlHandleFree {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

}  // namespace

std::string WrittenScheme(std::string_view url) {
  std::size_t end = 0;
  while (end < url.size() && IsSchemeChar(url[end], end == 0))
    ++end;
  if (end == 0 || end >= url.size() || url[end] != ':')
    return {};
  return AsciiLower(url.substr(0, end));
}

std::string UrlScheme(std::string_view url) {
  std::string scheme = WrittenScheme(url);
  const std::size_t after = scheme.size() + 1;
  if (!scheme.empty() && after < url.size() && url[after] >= '0' && url[after] <= '9')
    return {};  // a host and its port
  return scheme;
}

bool IsDownloadableScheme(std::string_view scheme) {
  return scheme == "http" || scheme == "https" || scheme == "ftp";
}

bool IsDownloadableUrl(std::string_view url) {
  const std::string scheme = UrlScheme(url);
  return scheme.empty() || IsDownloadableScheme(scheme);
}

UrlPieces SplitUrlText(std::string_view url) {
  UrlPieces parts;
  std::string_view rest = url;
  // A "://" in the query or the fragment starts no authority.
  const std::size_t schemeEnd = url.substr(0, url.find_first_of("?#")).find("://");
  if (schemeEnd != std::string_view::npos) {
    parts.scheme = url.substr(0, schemeEnd);
    parts.hasAuthority = true;
    rest.remove_prefix(schemeEnd + 3);
    const std::size_t authorityEnd = std::min(rest.find_first_of("/?#"), rest.size());
    parts.authority = rest.substr(0, authorityEnd);
    rest.remove_prefix(authorityEnd);
    if (!rest.starts_with('/'))
      return parts;
  }
  parts.path = rest.substr(0, rest.find_first_of("?#"));
  return parts;
}

std::size_t AuthorityStart(std::string_view url) {
  const UrlPieces parts = SplitUrlText(url);
  return parts.hasAuthority ? static_cast<std::size_t>(parts.authority.data() - url.data()) : 0;
}

std::optional<std::string> UrlHost(const std::string& url) {
  std::unique_ptr<CURLU, UrlHandleFree> handle(curl_url());
  if (!handle || curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK)
    return std::nullopt;
  char* host = nullptr;
  if (curl_url_get(handle.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK || host == nullptr)
    return std::nullopt;
  std::string text(host);
  curl_free(host);
  if (text.size() >= 2 && text.front() == '[' && text.back() == ']')
    text = text.substr(1, text.size() - 2);
  return AsciiLower(text);
}

std::string WithoutEmptyLogin(std::string_view url) {
  const UrlPieces pieces = SplitUrlText(url);
  std::string text(url);
  if (!pieces.hasAuthority)
    return text;
  const std::size_t start = static_cast<std::size_t>(pieces.authority.data() - url.data());
  for (const std::string_view empty : {std::string_view("@"), std::string_view(":@")}) {
    if (pieces.authority.substr(0, empty.size()) == empty)
      return text.erase(start, empty.size());
  }
  return text;
}

}  // namespace harvel
