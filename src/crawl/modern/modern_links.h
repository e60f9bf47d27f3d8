#pragma once

#include <optional>
#include <string>
#include <vector>

#include "crawl/crawl_context.h"
#include "crawl/crawl_state.h"
#include "crawl/modern/modern_types.h"
#include "crawl/modern/page_references.h"
#include "crawl/page_reader.h"

namespace harvel {

// The type stage and the level rules for one reference of a page row of
// depth `rowLevel`: nullopt when it is not taken. A page link taken uses up
// one of `level` (the row's depth left); a frame takes the level below the
// row's without using it up.
std::optional<TakenLink> TakeReference(const CrawlOptions& options, const UserExtList& userExt,
                                       const PageReference& reference, std::int16_t rowLevel,
                                       std::int16_t& level);

// Reads up to kModernPageLimit bytes of the file at `path`; nullopt when it is
// no ordinary file or cannot be read.
std::optional<std::string> ReadModernPageFile(const std::string& path);

// The references of the row's page, read already, taken and queued as the
// modern reader takes them (pacing after each).
ScanEnd QueueReferences(CrawlContext& context, CrawlState& state,
                        const std::vector<PageReference>& references);

}  // namespace harvel
