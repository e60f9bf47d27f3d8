#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/event_pump.h"
#include "crawl/modern/page_references.h"

namespace harvel {

// Pages up to this size are read in place; a larger one could keep the crawl
// from handling events for longer than a user waits for a window to close.
inline constexpr std::size_t kPageReadInPlace = std::size_t{256} << 10;

// ReadPageReferences on a thread of its own while the crawl goes on handling
// events, so that closing the window or an interrupt is acted on at once.
// nullopt when `closed` was set meanwhile: the reading then ends by itself and
// its references are dropped.
std::optional<std::vector<PageReference>> ReadPageReferencesAside(EventPump& pump,
                                                                  const bool& closed,
                                                                  std::string page,
                                                                  std::string pageUrl);

}  // namespace harvel
