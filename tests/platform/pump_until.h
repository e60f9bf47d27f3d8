#pragma once

#include <chrono>
#include <functional>

#include "platform/qt_event_pump.h"

namespace harvel::test {

// Runs the event loop until `done` holds or the time is up; false when it is up.
inline bool PumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
  QtEventPump pump;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    pump.waitForEvents(std::chrono::milliseconds(50));
  }
  return true;
}

}  // namespace harvel::test
