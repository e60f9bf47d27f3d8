#include "downloader/download_limits.h"

#include <string_view>

#include "common/number_settings.h"

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
  const auto take = [&limits](std::string_view name, long number) {
    if (name == "low-speed-bytes")
      limits.speed.bytesPerSecond = number;
    else if (name == "low-speed-seconds")
      limits.speed.window = std::chrono::seconds(number);
    else if (name == "retries")
      limits.retries = static_cast<int>(number);
    else if (name == "retry-pause-ms")
      limits.retryPause = std::chrono::milliseconds(number);
    else if (name == "robots-ms")
      limits.robotsTimeLimit = std::chrono::milliseconds(number);
    else if (name == "resume-bytes")
      limits.resumeThreshold = number;
  };
  ForEachNumberSettingOfVariable("VESKDOWNLOADER_TEST_LIMITS", take);
  return limits;
}

}  // namespace harvel
