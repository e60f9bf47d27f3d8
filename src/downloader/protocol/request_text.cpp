#include "downloader/protocol/request_text.h"

namespace harvel {

std::optional<DownloadRequest> ParseRequest(const Message& request) {
  if (request.kind != MessageKind::Request)
    return std::nullopt;
  const std::string& text = request.text;
  const std::size_t comma = request.urlLength;
  if (comma == 0 || comma >= text.size() || text[comma] != ',')
    return std::nullopt;
  DownloadRequest parsed{text.substr(0, comma), text.substr(comma + 1)};
  if (parsed.path.empty())
    return std::nullopt;
  return parsed;
}

}  // namespace harvel
