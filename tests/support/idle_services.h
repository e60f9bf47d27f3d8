#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "common/event_pump.h"
#include "crawl/download_channel.h"
#include "crawl/shell.h"

namespace harvel::test {

// What a crawl session needs around the part under test (a window, a timed
// scan) when nothing is to wait for, nothing to download and no folder to open.
class IdlePump : public EventPump {
 public:
  void processPendingEvents() override {}
  void waitForEvents(std::chrono::milliseconds) override {}
};

class NoChannel : public DownloadChannel {
 public:
  void Downloading(const FileRequest&, std::weak_ptr<Mailbox>) override {}
};

class NoShell : public Shell {
 public:
  void openFolder(const std::string&) override {}
};

}  // namespace harvel::test
