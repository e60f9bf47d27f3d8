#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace harvel {

// The scheme of `url` in lower case ("http" for "HTTP://h/"); "" when it has
// none. "host:8080/..." is a host and a port, not a scheme.
std::string UrlScheme(std::string_view url);
// The same without the port rule: what a link's text names as its scheme
// ("host" for "host:8080/"), as a browser reads a link.
std::string WrittenScheme(std::string_view url);

// http, https and ftp: the schemes the downloader fetches.
bool IsDownloadableScheme(std::string_view scheme);

// Whether the downloader may fetch `url`: an http, https or ftp URL, or one
// without a scheme (libcurl takes such a URL for http). Any other scheme
// (javascript:, data:, file:, ...) is refused.
bool IsDownloadableUrl(std::string_view url);

// "scheme://authority/path?query#fragment" cut into its parts as written,
// nothing decoded: for text that is not always a whole URL (a proxy, a link
// before it is resolved). Without "://" there is no scheme and no authority,
// and the text up to "?" or "#" is the path.
struct UrlPieces {
  std::string_view scheme;     // as written, before "://"
  std::string_view authority;  // between "://" and the first "/", "?" or "#"
  std::string_view path;       // from that "/" up to "?" or "#"; "" when none
  bool hasAuthority = false;   // the text holds "://"
};
UrlPieces SplitUrlText(std::string_view url);
// Where the authority of such a text starts: just past its "scheme://"; 0
// for a text without one (a proxy written as host:port, a login alone).
std::size_t AuthorityStart(std::string_view url);

// The host of an absolute URL as libcurl reads it (in lower case, a name
// without its brackets or port); nullopt when libcurl cannot parse the URL
// or it names no host.
std::optional<std::string> UrlHost(const std::string& url);

// `url` without an empty login ("http://@h/", "http://:@h/" name no user, and
// libcurl would send one as "Authorization: Basic Og=="); any other URL as it is.
std::string WithoutEmptyLogin(std::string_view url);

}  // namespace harvel
