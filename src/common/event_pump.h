#pragma once

#include <chrono>
#include <cstdint>

namespace harvel {

// The program's event loop as the engine sees it. The crawl runs inside an event
// handler and yields only through this interface.
class EventPump {
 public:
  virtual ~EventPump() = default;

  // Handles the events that are pending now, once, and returns without waiting.
  virtual void processPendingEvents() = 0;

  // Sleeps until at least one event has been handled or `timeout` has passed,
  // whichever comes first. Never spins.
  virtual void waitForEvents(std::chrono::milliseconds timeout) = 0;

  // The monotonic clock that waits are measured on.
  virtual std::chrono::steady_clock::time_point now() const {
    return std::chrono::steady_clock::now();
  }
};

// Returns once more than `ms` milliseconds have passed, having handled events at
// least once (also for 0 or less). Sleeps in the event loop between events.
void PumpWait(EventPump& pump, std::int32_t ms);

}  // namespace harvel
