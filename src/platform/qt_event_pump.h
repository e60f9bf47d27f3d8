#pragma once

#include "common/event_pump.h"

namespace harvel {

// The engine's event pump on Qt's event loop (needs a QCoreApplication).
//   processPendingEvents: QCoreApplication::processEvents(), once.
//   waitForEvents: sleeps in the event loop until at least one event has been
//   handled or the time is up; never spins.
class QtEventPump : public EventPump {
 public:
  void processPendingEvents() override;
  void waitForEvents(std::chrono::milliseconds timeout) override;
};

}  // namespace harvel
