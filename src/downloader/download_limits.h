#pragma once

#include <chrono>

#include "downloader/file_downloader.h"

namespace harvel {

// How long VeskDownloader holds on to a download that goes badly.
struct DownloadLimits {
  FileDownloader::SpeedLimit speed;            // under 1 KiB/s for 30 s gives a transfer up
  int retries = 2;                             // further tries after a passing failure
  std::chrono::milliseconds retryPause{2000};  // when the server names none
  // The longest pause a server may ask for (Retry-After): its host waits that
  // long; a longer one fails the host's downloads until it has passed.
  std::chrono::milliseconds longestRetryPause{std::chrono::minutes(10)};
  std::chrono::milliseconds robotsTimeLimit{10000};  // the most one read of robots.txt takes
};

// Whether a failed download may well pass when tried again after a pause: a
// refused or broken connection, a time-out, or the server's 429 or 503.
bool IsPassingFailure(const DownloadNotice& notice);

// The limits, with the ones named in the environment variable
// VESKDOWNLOADER_TEST_LIMITS taken from there: tests use it so as not to wait
// half a minute for a slow transfer. Its form is "name=value,...", names
// low-speed-bytes, low-speed-seconds, retries, retry-pause-ms, robots-ms; others and
// values that are no whole numbers are passed over.
DownloadLimits LimitsFromEnvironment();

}  // namespace harvel
