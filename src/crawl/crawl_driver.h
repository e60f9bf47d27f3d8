#pragma once

#include "crawl/crawl_context.h"
#include "crawl/crawl_outcome.h"

namespace harvel {

// SearchStart: works the crawl list of the loaded window from row 1 until it is
// empty, then completes (caption, the completion pause, the folder, unloading).
// Returns AlreadyRunning at once when a crawl is working that list already.
CrawlOutcome SearchStart(CrawlContext& context);

}  // namespace harvel
