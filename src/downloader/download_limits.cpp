#include "downloader/download_limits.h"

#include <charconv>
#include <cstdlib>
#include <string_view>

namespace harvel {

bool IsPassingFailure(const DownloadNotice& notice) {
  if (notice.landed)
    return false;
  if (notice.reason == failure::kHttpStatus)
    return notice.httpStatus == 429 || notice.httpStatus == 503;
  return notice.reason == failure::kRefused || notice.reason == failure::kReset ||
         notice.reason == failure::kTimeout;
}

DownloadLimits LimitsFromEnvironment() {
  DownloadLimits limits;
  const char* text = std::getenv("VESKDOWNLOADER_TEST_LIMITS");
  if (text == nullptr)
    return limits;
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t comma = rest.find(',');
    const std::string_view item = rest.substr(0, comma);
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    const std::size_t equals = item.find('=');
    if (equals == std::string_view::npos)
      continue;
    const std::string_view name = item.substr(0, equals);
    const std::string_view value = item.substr(equals + 1);
    long number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc() || end != value.data() + value.size() || number < 0)
      continue;
    if (name == "low-speed-bytes")
      limits.speed.bytesPerSecond = number;
    else if (name == "low-speed-seconds")
      limits.speed.window = std::chrono::seconds(number);
    else if (name == "retries")
      limits.retries = static_cast<int>(number);
    else if (name == "retry-pause-ms")
      limits.retryPause = std::chrono::milliseconds(number);
  }
  return limits;
}

}  // namespace harvel
