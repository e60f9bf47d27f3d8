#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "crawl/crawl_options.h"

namespace harvel {

// Why the crawl's scope keeps out the row `url`, brought by the page
// `referer`; nullopt when the row is in. A row the user started (no referer)
// is always in. Site only keeps out a page (`page`: a row read for links) on
// another site than the page that linked it: that page was read for links, so
// it was on the start URL's site itself. The rules keep out what they refuse.
std::optional<std::string> ScopeRefusal(const CrawlOptions& options, const std::string& url,
                                        const std::string& referer, bool page);

// The level a page link taken from a page is queued at: with all links on,
// `rowLevel` − 1 for each; else one of `level` (the page's depth left) for each,
// lowering it. nullopt when no depth is left.
std::optional<std::int16_t> PageLinkLevel(const CrawlOptions& options, std::int16_t rowLevel,
                                          std::int16_t& level);

}  // namespace harvel
