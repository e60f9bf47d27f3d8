#pragma once

#include <chrono>
#include <string>

#include "common/event_pump.h"
#include "crawl/shell.h"

namespace harvel::test {

// What a crawl session needs beside a window under test when nothing is to
// wait for and no folder is to be opened.
class IdlePump : public EventPump {
 public:
  void processPendingEvents() override {}
  void waitForEvents(std::chrono::milliseconds) override {}
};

class NoShell : public Shell {
 public:
  void openFolder(const std::string&) override {}
};

}  // namespace harvel::test
