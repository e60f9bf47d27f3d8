#pragma once

#include <optional>
#include <string>
#include <vector>

#include "crawl/crawl_context.h"
#include "crawl/crawl_state.h"
#include "crawl/link_extraction.h"
#include "crawl/modern/modern_types.h"
#include "crawl/modern/page_references.h"

namespace harvel {

// A reference that a modern page's reading takes: what QueueLink is given,
// and what the page says of it.
struct TakenReference : TakenLink {
  RowFacts facts;
};

// The type stage and the level rules for one reference of a page row of
// depth `rowLevel`: nullopt when it is not taken. A page link taken uses up
// one of `level` (the row's depth left); a frame takes the level below the
// row's without using it up.
std::optional<TakenReference> TakeReference(const CrawlOptions& options, const UserExtList& userExt,
                                            const PageReference& reference, std::int16_t rowLevel,
                                            std::int16_t& level);

// Reads up to kModernPageLimit bytes of the file at `path`; nullopt when it is
// no ordinary file or cannot be read.
std::optional<std::string> ReadModernPageFile(const std::string& path);

// The page of the row being handled, read the modern way: every reference is
// passed, in document order, through the type stage, the HTML rule, the URL
// filter and the visited-URL buffer, and queued like a link of SearchStr. Page
// links are followed only while the row's level is above 0; a frame takes the
// level below the row's without using up the level of the page's other links.
// Then the HTML keep rule, and WaitSpeed after every reference and at the end.
// `read`, when given, receives the page's references once it could be read.
ScanEnd ReadModernPage(CrawlContext& context, CrawlState& state,
                       std::optional<std::vector<PageReference>>* read = nullptr);

// The queueing part of ReadModernPage, for references already read.
ScanEnd QueueReferences(CrawlContext& context, CrawlState& state,
                        const std::vector<PageReference>& references);

}  // namespace harvel
