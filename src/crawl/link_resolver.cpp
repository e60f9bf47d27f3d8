#include "crawl/link_resolver.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <string>

#include "common/url_parts.h"

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
constexpr unsigned int kFlags = CURLU_NON_SUPPORT_SCHEME;

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

// A browser reads "\" as "/" in an http(s) URL up to its query or fragment.
std::string WithSlashes(std::string link) {
  const std::size_t end = std::min(link.find_first_of("?#"), link.size());
  std::replace(link.begin(), link.begin() + static_cast<std::ptrdiff_t>(end), '\\', '/');
  return link;
}

// Any number of slashes after a scheme count as two: "http:///h.test/x".
std::string WithTwoSlashes(std::string_view authorityOn) {
  while (!authorityOn.empty() && authorityOn.front() == '/')
    authorityOn.remove_prefix(1);
  return "//" + std::string(authorityOn);
}

// A link as a browser reads it against an http or https base: backslashes
// are slashes, "http:pic.gif" and "http:/img/a.gif" (the base's scheme, no
// "//") are relative to the page, and "https:h.test/a.gif" (another scheme)
// names a host. Other links are returned as they are.
std::string BrowserForm(std::string link, std::string_view baseScheme) {
  const std::string scheme = WrittenScheme(link);
  if (scheme.empty()) {
    if (baseScheme != "http" && baseScheme != "https")
      return link;
    return WithSlashes(std::move(link));
  }
  if (scheme != "http" && scheme != "https")
    return link;
  const std::string rest = WithSlashes(link.substr(scheme.size() + 1));
  if (rest.starts_with("//"))
    return scheme + ":" + WithTwoSlashes(rest);
  if (scheme == baseScheme)
    return rest;
  return scheme + ":" + WithTwoSlashes(rest);
}

// "http://@h.test/" and "http://:@h.test/" name no user: libcurl would
// send an empty one as a login.
bool DropEmptyLogin(CURLU* url) {
  char* user = nullptr;
  if (curl_url_get(url, CURLUPART_USER, &user, 0) != CURLUE_OK)
    return true;
  const bool empty = user == nullptr || *user == '\0';
  curl_free(user);
  if (!empty)
    return true;
  char* password = nullptr;
  if (curl_url_get(url, CURLUPART_PASSWORD, &password, 0) == CURLUE_OK) {
    const bool noPassword = password == nullptr || *password == '\0';
    curl_free(password);
    if (!noPassword)
      return true;
  }
  return curl_url_set(url, CURLUPART_USER, nullptr, 0) == CURLUE_OK &&
         curl_url_set(url, CURLUPART_PASSWORD, nullptr, 0) == CURLUE_OK;
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

// A link that resolves to the base's folder followed by the link itself, as
// libcurl would resolve it: letters, digits, "-", "_", "." and "/" only, not
// starting with "/", without empty, "." or ".." segments. Most links of a
// page are such; they are joined without parsing a URL.
bool IsPlainRelative(std::string_view link) {
  if (link.empty() || link.front() == '/')
    return false;
  std::size_t segmentStart = 0;
  for (std::size_t i = 0; i <= link.size(); ++i) {
    if (i == link.size() || link[i] == '/') {
      const std::string_view segment = link.substr(segmentStart, i - segmentStart);
      if ((segment.empty() && i < link.size()) || segment == "." || segment == "..")
        return false;
      segmentStart = i + 1;
      continue;
    }
    const char c = link[i];
    if (!IsAsciiAlpha(c) && !IsAsciiDigit(c) && c != '-' && c != '_' && c != '.')
      return false;
  }
  return true;
}

// A path of plain segments: letters, digits, "-", "_" and ".", none empty, "."
// or "..", each behind a "/" (a "/" alone is the root).
bool IsPlainPath(std::string_view path) {
  return path == "/" || (path.size() > 1 && path.front() == '/' && IsPlainRelative(path.substr(1)));
}

bool IsCanonicalByte(std::string_view digits) {
  return !digits.empty() && digits.size() <= 3 && (digits.size() == 1 || digits.front() != '0') &&
         std::all_of(digits.begin(), digits.end(), IsAsciiDigit) &&
         std::stoi(std::string(digits)) <= 255;
}

// A host libcurl keeps as written: lower-case labels of letters, digits and
// "-"; a host whose labels all start with a digit only as four canonical
// numbers (libcurl rewrites other numeric forms).
bool IsPlainHost(std::string_view host) {
  if (host.empty() || host.front() == '.' || host.back() == '.' || host.front() == '-')
    return false;
  bool named = false;
  int labels = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= host.size(); ++i) {
    if (i < host.size() && host[i] != '.') {
      const char c = host[i];
      if (!(c >= 'a' && c <= 'z') && !IsAsciiDigit(c) && c != '-')
        return false;
      continue;
    }
    if (i == start)
      return false;  // an empty label
    named = named || !IsAsciiDigit(host[start]);
    ++labels;
    start = i + 1;
  }
  if (named)
    return true;
  if (labels != 4)
    return false;
  for (std::size_t begin = 0; begin < host.size();) {
    const std::size_t end = std::min(host.find('.', begin), host.size());
    if (!IsCanonicalByte(host.substr(begin, end - begin)))
      return false;
    begin = end + 1;
  }
  return true;
}

// An absolute http or https link that libcurl writes back exactly as it is:
// a lower-case scheme, a plain host, a port of 1 to 65535 without leading
// zeros, and a plain path.
bool IsPlainAbsolute(std::string_view link) {
  std::size_t rest = 0;
  if (link.starts_with("http://")) {
    rest = 7;
  } else if (link.starts_with("https://")) {
    rest = 8;
  } else {
    return false;
  }
  const std::size_t pathStart = link.find('/', rest);
  if (pathStart == std::string_view::npos)
    return false;
  std::string_view authority = link.substr(rest, pathStart - rest);
  if (const std::size_t colon = authority.find(':'); colon != std::string_view::npos) {
    const std::string_view port = authority.substr(colon + 1);
    if (port.empty() || port.size() > 5 || port.front() == '0' ||
        !std::all_of(port.begin(), port.end(), IsAsciiDigit) ||
        std::stoi(std::string(port)) > 65535)
      return false;
    authority = authority.substr(0, colon);
  }
  return IsPlainHost(authority) && IsPlainPath(link.substr(pathStart));
}

// The base URL as libcurl writes it, up to and including the last "/" of its
// path; "" when that cannot be told.
std::string FolderOf(const std::string& url) {
  const UrlPieces pieces = SplitUrlText(url);
  // An authority that "?" or "#" ends is no plain one.
  if (!pieces.hasAuthority || pieces.path.empty())
    return {};
  const std::size_t pathStart = static_cast<std::size_t>(pieces.path.data() - url.data());
  const std::size_t lastSlash = url.rfind('/', pathStart + pieces.path.size());
  return url.substr(0, lastSlash + 1);
}

}  // namespace

struct LinkResolver::Base {
  UrlHandle url;
  std::string scheme;         // in lower case
  std::string folder;         // FolderOf the base, for plain relative links
  std::size_t pathStart = 0;  // where the path starts in `folder`

  // The link joined without parsing a URL, when it is a plain relative one
  // ("a/b.gif", "../b.gif", "/b.gif"); nullopt otherwise.
  std::optional<std::string> join(std::string_view link) const {
    if (folder.empty())
      return std::nullopt;
    if (link.size() > 1 && link.front() == '/' && link[1] != '/') {
      if (!IsPlainRelative(link.substr(1)))
        return std::nullopt;
      return folder.substr(0, pathStart) + std::string(link);
    }
    std::size_t end = folder.size();
    while (link.starts_with("../")) {
      link.remove_prefix(3);
      // Above the root is the root.
      if (end - 1 > pathStart)
        end = folder.rfind('/', end - 2) + 1;
    }
    if (!IsPlainRelative(link))
      return std::nullopt;
    return folder.substr(0, end) + std::string(link);
  }
};

LinkResolver::LinkResolver(const std::string& base) {
  UrlHandle url(curl_url());
  if (url && curl_url_set(url.get(), CURLUPART_URL, base.c_str(), kFlags) == CURLUE_OK &&
      DropEmptyLogin(url.get())) {
    const std::optional<std::string> text = UrlText(url.get());
    const bool web = text && IsDownloadableScheme(WrittenScheme(*text));
    const std::string folder = web ? FolderOf(*text) : std::string();
    const std::size_t pathStart = folder.empty() ? 0 : folder.find('/', AuthorityStart(folder));
    base_ = std::make_unique<Base>(
        Base{std::move(url), text ? WrittenScheme(*text) : std::string(), folder, pathStart});
  }
}

LinkResolver::~LinkResolver() = default;

std::optional<std::string> LinkResolver::resolve(std::string_view link) const {
  const std::string scheme = WrittenScheme(link);
  if (!scheme.empty() && !IsDownloadableScheme(scheme))
    return std::string(link);
  if (IsPlainAbsolute(link))
    return std::string(link);
  if (!base_)
    return std::nullopt;
  if (std::optional<std::string> joined = base_->join(link))
    return joined;
  UrlHandle url(curl_url_dup(base_->url.get()));
  if (!url)
    return std::nullopt;
  const std::string cleaned = BrowserForm(Cleaned(link), base_->scheme);

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
  if (cleaned.find('@') != std::string::npos && !DropEmptyLogin(url.get()))
    return std::nullopt;
  return UrlText(url.get());
}

std::optional<std::string> ResolveLink(const std::string& base, std::string_view link) {
  return LinkResolver(base).resolve(link);
}

}  // namespace harvel
