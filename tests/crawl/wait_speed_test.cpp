#include "crawl/wait_speed.h"

#include <gtest/gtest.h>

#include "crawl/static_crawl_options.h"
#include "fake_event_pump.h"

namespace harvel {
namespace {

using Ms = std::chrono::milliseconds;

TEST(WaitSpeed, HandlesEventsOnceAtLevelZero) {
  test::FakeEventPump pump;
  StaticCrawlOptions options;
  int handled = 0;
  pump.post(Ms(0), [&] { ++handled; });
  WaitSpeed(pump, options);
  EXPECT_EQ(handled, 1);
  EXPECT_EQ(pump.elapsed(), Ms(0));
  EXPECT_EQ(pump.passes(), 1);
}

TEST(WaitSpeed, PausesMoreThan30MsPerLevelReadAtEveryCall) {
  test::FakeEventPump pump;
  StaticCrawlOptions options;
  for (int level = 1; level <= 5; ++level) {
    options.setSpeedLevel(level);
    const Ms before = pump.elapsed();
    WaitSpeed(pump, options);
    EXPECT_GT(pump.elapsed() - before, Ms(30 * level));
    EXPECT_LE(pump.elapsed() - before, Ms(30 * level + 2));
  }
}

}  // namespace
}  // namespace harvel
