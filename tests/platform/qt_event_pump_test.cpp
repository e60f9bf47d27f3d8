#include "platform/qt_event_pump.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>

namespace harvel {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::chrono::microseconds ProcessorTime() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return std::chrono::seconds(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         std::chrono::microseconds(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

TEST(QtEventPump, WaitSleepsUntilTheTimeIsUpWithoutSpinning) {
  QtEventPump pump;
  pump.processPendingEvents();  // what start-up left queued
  const auto cpuBefore = ProcessorTime();
  const auto start = Clock::now();
  pump.waitForEvents(300ms);
  const auto waited = Clock::now() - start;
  EXPECT_GE(waited, 290ms);
  EXPECT_LT(waited, 3s);
  EXPECT_LT(ProcessorTime() - cpuBefore, 100ms) << "the wait must sleep, not spin";
}

TEST(QtEventPump, WaitReturnsOnceAnEventHasBeenHandled) {
  QtEventPump pump;
  bool fired = false;
  QTimer::singleShot(20, [&fired] { fired = true; });
  const auto start = Clock::now();
  while (!fired && Clock::now() - start < 5s)
    pump.waitForEvents(10s);
  EXPECT_TRUE(fired);
  EXPECT_LT(Clock::now() - start, 3s);
}

TEST(QtEventPump, ProcessPendingEventsHandlesWhatIsQueued) {
  QtEventPump pump;
  int calls = 0;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [&calls] { ++calls; }, Qt::QueuedConnection);
  pump.processPendingEvents();
  EXPECT_EQ(calls, 1);
}

TEST(QtEventPump, PumpWaitReturnsAfterTheGivenTime) {
  QtEventPump pump;
  const auto cpuBefore = ProcessorTime();
  const auto start = Clock::now();
  PumpWait(pump, 200);
  EXPECT_GT(Clock::now() - start, 200ms);
  EXPECT_LT(ProcessorTime() - cpuBefore, 100ms);
}

}  // namespace
}  // namespace harvel
