#include "crawl/modern/background_references.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace harvel {
namespace {

// How often events are handled while a page is read: often enough that the
// window stays responsive, seldom enough not to cost the reading.
constexpr std::chrono::milliseconds kEventRound{50};

// What the reading thread and the crawl share; the thread holds it as long
// as it runs, even after the crawl has stopped waiting.
struct Reading {
  std::mutex mutex;
  std::condition_variable done;
  std::optional<std::vector<PageReference>> references;
};

}  // namespace

std::optional<std::vector<PageReference>> ReadPageReferencesAside(EventPump& pump,
                                                                  const bool& closed,
                                                                  std::string page,
                                                                  std::string pageUrl) {
  if (page.size() <= kPageReadInPlace)
    return ReadPageReferences(page, pageUrl);
  auto reading = std::make_shared<Reading>();
  std::thread([reading, page = std::move(page), pageUrl = std::move(pageUrl)] {
    std::vector<PageReference> references = ReadPageReferences(page, pageUrl);
    const std::lock_guard lock(reading->mutex);
    reading->references = std::move(references);
    reading->done.notify_all();
  }).detach();
  for (;;) {
    {
      std::unique_lock lock(reading->mutex);
      if (reading->done.wait_for(lock, kEventRound,
                                 [&] { return reading->references.has_value(); }))
        return std::move(reading->references);
    }
    pump.processPendingEvents();
    if (closed)
      return std::nullopt;
  }
}

}  // namespace harvel
