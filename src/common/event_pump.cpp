#include "common/event_pump.h"

namespace harvel {

void PumpWait(EventPump& pump, std::int32_t ms) {
  using std::chrono::milliseconds;
  const auto start = pump.now();
  const milliseconds limit(ms);
  for (;;) {
    pump.processPendingEvents();
    const auto elapsed = pump.now() - start;
    if (elapsed > limit)
      return;
    // Sleep in the event loop until something happens or the time is up.
    pump.waitForEvents(std::chrono::ceil<milliseconds>(limit - elapsed) + milliseconds(1));
  }
}

}  // namespace harvel
