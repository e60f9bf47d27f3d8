#pragma once

#include "common/event_pump.h"
#include "crawl/crawl_options.h"

namespace harvel {

// WaitSpeed: the crawl's pacing step. Reads the speed level at every call: at 0
// it handles the pending events once; at n (1 to 5) it waits more than 30 x n ms
// while handling events.
void WaitSpeed(EventPump& pump, const CrawlOptions& options);

}  // namespace harvel
