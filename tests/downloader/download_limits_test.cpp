// Which failures are tried again after a pause, and the limits tests may set.
#include "downloader/download_limits.h"

#include <gtest/gtest.h>

#include "scoped_env.h"

namespace harvel {
namespace {

DownloadNotice Failure(const char* reason, int httpStatus = 0) {
  DownloadNotice notice;
  notice.landed = false;
  notice.reason = reason;
  notice.httpStatus = httpStatus;
  return notice;
}

TEST(IsPassingFailure, OnlyConnectionsTimeOutsAndBusyServersPass) {
  for (const char* reason : {failure::kRefused, failure::kReset, failure::kTimeout})
    EXPECT_TRUE(IsPassingFailure(Failure(reason))) << reason;
  EXPECT_TRUE(IsPassingFailure(Failure(failure::kHttpStatus, 429)));
  EXPECT_TRUE(IsPassingFailure(Failure(failure::kHttpStatus, 503)));

  EXPECT_FALSE(IsPassingFailure(Failure(failure::kHttpStatus, 404)));
  EXPECT_FALSE(IsPassingFailure(Failure(failure::kHttpStatus, 500)));
  for (const char* reason : {failure::kDiskFull, failure::kUnwritable, failure::kOther})
    EXPECT_FALSE(IsPassingFailure(Failure(reason))) << reason;
  DownloadNotice landed = Failure(failure::kTimeout);
  landed.landed = true;
  EXPECT_FALSE(IsPassingFailure(landed));
}

TEST(LimitsFromEnvironment, TakesWholeNumbersItKnowsAndPassesOverTheRest) {
  const DownloadLimits defaults;
  {
    test::ScopedEnv unset("VESKDOWNLOADER_TEST_LIMITS", nullptr);
    EXPECT_EQ(LimitsFromEnvironment().retries, defaults.retries);
  }
  test::ScopedEnv set("VESKDOWNLOADER_TEST_LIMITS",
                      "retries=5,retry-pause-ms=10,unknown=3,low-speed-seconds=x");
  const DownloadLimits limits = LimitsFromEnvironment();
  EXPECT_EQ(limits.retries, 5);
  EXPECT_EQ(limits.retryPause.count(), 10);
  EXPECT_EQ(limits.speed.window, defaults.speed.window);
}

}  // namespace
}  // namespace harvel
