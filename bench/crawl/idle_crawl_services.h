#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "common/event_pump.h"
#include "crawl/download_channel.h"
#include "crawl/shell.h"

namespace harvel::bench {

// What a crawl context needs around a scan that is timed alone: a pump with
// nothing to do, a channel and a shell that do nothing.
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

}  // namespace harvel::bench
