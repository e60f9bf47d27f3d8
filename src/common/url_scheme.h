#pragma once

#include <string>
#include <string_view>

namespace harvel {

// The scheme of `url` in lower case ("http" for "HTTP://h/"); "" when it has
// none. "host:8080/..." is a host and a port, not a scheme.
std::string UrlScheme(std::string_view url);

// http, https and ftp: the schemes the downloader fetches.
bool IsDownloadableScheme(std::string_view scheme);

// Whether the downloader may fetch `url`: an http, https or ftp URL, or one
// without a scheme (libcurl takes such a URL for http). Any other scheme
// (javascript:, data:, file:, ...) is refused.
bool IsDownloadableUrl(std::string_view url);

}  // namespace harvel
