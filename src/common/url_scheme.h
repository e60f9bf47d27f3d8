#pragma once

#include <string_view>

namespace harvel {

// Whether the downloader may fetch `url`: an http, https or ftp URL, or one
// without a scheme (libcurl takes such a URL for http). Any other scheme
// (javascript:, data:, file:, ...) is refused. Letters are compared without
// case; "host:8080/..." is a host and a port, not a scheme.
bool IsDownloadableUrl(std::string_view url);

}  // namespace harvel
