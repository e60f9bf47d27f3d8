#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>

#include "common/event_pump.h"

namespace harvel::test {

// An event loop on a virtual clock: time passes only while the engine waits, and
// jumps straight to the next posted event, so long pauses cost no real time.
class FakeEventPump : public EventPump {
 public:
  using Ms = std::chrono::milliseconds;

  void processPendingEvents() override;
  void waitForEvents(Ms timeout) override;
  std::chrono::steady_clock::time_point now() const override;

  // Runs `task` as an event once `delay` has passed on the virtual clock.
  void post(Ms delay, std::function<void()> task);

  Ms elapsed() const { return elapsed_; }
  std::int64_t passes() const { return passes_; }  // processPendingEvents calls
  std::int64_t waits() const { return waits_; }    // waitForEvents calls

  // Runs once when the virtual clock passes `limit` or the pump has been asked
  // for events too often: a crawl that would never end is stopped by it.
  void setRunaway(Ms limit, std::function<void()> action);

 private:
  void runDue();
  void checkRunaway();

  Ms elapsed_{0};
  std::int64_t passes_ = 0;
  std::int64_t waits_ = 0;
  std::int64_t sequence_ = 0;
  std::multimap<std::pair<Ms, std::int64_t>, std::function<void()>> events_;
  Ms runawayLimit_{std::chrono::hours(24)};
  std::function<void()> runawayAction_;
};

}  // namespace harvel::test
