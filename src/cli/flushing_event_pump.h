#pragma once

#include <ostream>

#include "common/event_pump.h"

namespace harvel {

// An event pump that writes out what the crawl has printed before every sleep:
// the progress lines leave the program together once per wait (for a download,
// or a paced pause) rather than one system call each, and none waits in the
// buffer while the crawl waits.
class FlushingEventPump : public EventPump {
 public:
  FlushingEventPump(EventPump& pump, std::ostream& out) : pump_(pump), out_(out) {}

  void processPendingEvents() override { pump_.processPendingEvents(); }
  void waitForEvents(std::chrono::milliseconds timeout) override {
    out_.flush();
    pump_.waitForEvents(timeout);
  }
  std::chrono::steady_clock::time_point now() const override { return pump_.now(); }

 private:
  EventPump& pump_;
  std::ostream& out_;
};

}  // namespace harvel
