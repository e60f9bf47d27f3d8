#pragma once

#include <optional>
#include <string>

#include "crawl/crawl_context.h"
#include "crawl/crawl_state.h"

namespace harvel {

// How many next-page links led to the row `url` (0 for a row queued any other
// way), dropped from the state's count as the row is handled.
int TakeNextPageChain(CrawlState& state, const std::string& url);

// Queues the next-page link `next` of the page of row 1, reached by `chain`
// next-page links, with the page's own level (state.Level before any of its
// links is taken): while next pages are followed and the chain is shorter than
// they allow. The URL filter and the visited-URL buffer apply as to any link;
// the row decision judges it as a page.
void QueueNextPage(CrawlContext& context, CrawlState& state, const std::optional<std::string>& next,
                   int chain);

}  // namespace harvel
