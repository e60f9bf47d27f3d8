#include "crawl/link_resolver.h"

#include <curl/curl.h>

#include <memory>

namespace harvel {
namespace {

struct UrlDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using UrlHandle = std::unique_ptr<CURLU, UrlDeleter>;

bool IsAsciiAlpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}
char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The scheme of `link` in lower case, or "" when it has none.
std::string SchemeOf(std::string_view link) {
  if (link.empty() || !IsAsciiAlpha(link.front()))
    return {};
  for (std::size_t i = 1; i < link.size(); ++i) {
    const char c = link[i];
    if (c == ':') {
      std::string scheme;
      for (char s : link.substr(0, i))
        scheme += Lower(s);
      return scheme;
    }
    if (!IsAsciiAlpha(c) && !IsAsciiDigit(c) && c != '+' && c != '-' && c != '.')
      return {};
  }
  return {};
}

constexpr unsigned int kFlags = CURLU_NON_SUPPORT_SCHEME;

bool IsWebScheme(const std::string& scheme) {
  return scheme == "http" || scheme == "https" || scheme == "ftp";
}

bool IsControlOrSpace(char c) {
  return static_cast<unsigned char>(c) <= 0x20;
}

// What a browser makes of the text of an attribute before it parses it as a URL.
std::string Cleaned(std::string_view link) {
  while (!link.empty() && IsControlOrSpace(link.front()))
    link.remove_prefix(1);
  while (!link.empty() && IsControlOrSpace(link.back()))
    link.remove_suffix(1);
  std::string cleaned;
  cleaned.reserve(link.size());
  for (char c : link) {
    if (c == '\t' || c == '\n' || c == '\r')
      continue;
    if (c == ' ') {
      cleaned += "%20";
    } else {
      cleaned += c;
    }
  }
  return cleaned;
}

std::optional<std::string> UrlText(CURLU* url) {
  char* text = nullptr;
  if (curl_url_get(url, CURLUPART_URL, &text, 0) != CURLUE_OK || text == nullptr) {
    return std::nullopt;
  }
  std::string result(text);
  curl_free(text);
  return result;
}

}  // namespace

struct LinkResolver::Base {
  UrlHandle url;
};

LinkResolver::LinkResolver(const std::string& base) {
  UrlHandle url(curl_url());
  if (url && curl_url_set(url.get(), CURLUPART_URL, base.c_str(), kFlags) == CURLUE_OK) {
    base_ = std::make_unique<Base>(Base{std::move(url)});
  }
}

LinkResolver::~LinkResolver() = default;

std::optional<std::string> LinkResolver::resolve(std::string_view link) const {
  const std::string scheme = SchemeOf(link);
  if (!scheme.empty() && !IsWebScheme(scheme))
    return std::string(link);
  if (!base_)
    return std::nullopt;
  UrlHandle url(curl_url_dup(base_->url.get()));
  if (!url)
    return std::nullopt;
  const std::string cleaned = Cleaned(link);

  // The same document: the base without its fragment, then the link's own one.
  // libcurl would drop the base's last path segment and query here.
  if (cleaned.empty() || cleaned.front() == '#') {
    if (curl_url_set(url.get(), CURLUPART_FRAGMENT, nullptr, 0) != CURLUE_OK)
      return std::nullopt;
    std::optional<std::string> document = UrlText(url.get());
    if (!document)
      return std::nullopt;
    return *document + cleaned;
  }
  if (curl_url_set(url.get(), CURLUPART_URL, cleaned.c_str(), kFlags) != CURLUE_OK) {
    return std::nullopt;
  }
  return UrlText(url.get());
}

std::optional<std::string> ResolveLink(const std::string& base, std::string_view link) {
  return LinkResolver(base).resolve(link);
}

}  // namespace harvel
