#pragma once

#include <optional>
#include <string>

#include "downloader/protocol/frame.h"

namespace harvel {

// A download request taken apart: the URL before the separating comma, the
// local path after it.
struct DownloadRequest {
  std::string url;
  std::string path;
};

// nullopt when the request carries no download: no separating comma where the
// frame says the URL ends, an empty URL or an empty path. Such a request is
// still answered with a notice.
std::optional<DownloadRequest> ParseRequest(const Message& request);

}  // namespace harvel
