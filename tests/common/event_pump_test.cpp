#include "common/event_pump.h"

#include <gtest/gtest.h>

#include "fake_event_pump.h"

namespace harvel {
namespace {

using test::FakeEventPump;
using Ms = std::chrono::milliseconds;

TEST(PumpWait, HandlesEventsOnceEvenForNoWait) {
  for (int ms : {0, -5}) {
    FakeEventPump pump;
    int handled = 0;
    pump.post(Ms(0), [&] { ++handled; });
    PumpWait(pump, ms);
    EXPECT_EQ(handled, 1);
    EXPECT_GT(pump.elapsed(), Ms(ms));
  }
}

TEST(PumpWait, SleepsInTheEventLoopUntilMoreThanTheTimeHasPassed) {
  FakeEventPump pump;
  Ms handledAt{-1};
  pump.post(Ms(500), [&] { handledAt = pump.elapsed(); });
  PumpWait(pump, 2000);
  EXPECT_EQ(handledAt, Ms(500));
  EXPECT_GT(pump.elapsed(), Ms(2000));
  EXPECT_LE(pump.elapsed(), Ms(2002));
  // It slept: a handful of waits, no busy loop of passes.
  EXPECT_LE(pump.waits() + pump.passes(), 8);
}

TEST(PumpWait, ANestedWaitRunsToItsEndFirst) {
  FakeEventPump pump;
  Ms innerEnded{0};
  pump.post(Ms(10), [&] {
    PumpWait(pump, 300);
    innerEnded = pump.elapsed();
  });
  PumpWait(pump, 50);
  EXPECT_GT(innerEnded, Ms(310));
  EXPECT_EQ(pump.elapsed(), innerEnded);
}

TEST(PumpWait, KeepsWorkingAfterTheOldTimerOverflowPoint) {
  FakeEventPump pump;
  // Bring the clock just short of 2^31 ms (24.9 days), then wait across it.
  pump.waitForEvents(Ms((std::int64_t{1} << 31) - 1000));
  const Ms before = pump.elapsed();
  PumpWait(pump, 2000);
  EXPECT_GT(pump.elapsed() - before, Ms(2000));
  EXPECT_LE(pump.elapsed() - before, Ms(2002));
}

}  // namespace
}  // namespace harvel
