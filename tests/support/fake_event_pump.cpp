#include "fake_event_pump.h"

#include <algorithm>
#include <utility>

namespace harvel::test {
namespace {
constexpr std::int64_t kMostCalls = 50'000'000;
}

void FakeEventPump::processPendingEvents() {
  ++passes_;
  runDue();
  checkRunaway();
}

void FakeEventPump::waitForEvents(Ms timeout) {
  ++waits_;
  const Ms until = elapsed_ + std::max(timeout, Ms(0));
  if (!events_.empty() && events_.begin()->first.first <= until) {
    elapsed_ = std::max(elapsed_, events_.begin()->first.first);
  } else {
    elapsed_ = until;
  }
  runDue();
  checkRunaway();
}

std::chrono::steady_clock::time_point FakeEventPump::now() const {
  return std::chrono::steady_clock::time_point{} + std::chrono::hours(1) + elapsed_;
}

void FakeEventPump::post(Ms delay, std::function<void()> task) {
  events_.emplace(std::make_pair(elapsed_ + delay, sequence_++), std::move(task));
}

void FakeEventPump::setRunaway(Ms limit, std::function<void()> action) {
  runawayLimit_ = limit;
  runawayAction_ = std::move(action);
}

void FakeEventPump::runDue() {
  while (!events_.empty() && events_.begin()->first.first <= elapsed_) {
    auto task = std::move(events_.begin()->second);
    events_.erase(events_.begin());
    task();
  }
}

void FakeEventPump::checkRunaway() {
  if (!runawayAction_)
    return;
  if (elapsed_ > runawayLimit_ || passes_ + waits_ > kMostCalls) {
    auto action = std::move(runawayAction_);
    runawayAction_ = nullptr;
    action();
  }
}

}  // namespace harvel::test
