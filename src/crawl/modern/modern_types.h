#pragma once

#include <string>
#include <string_view>

#include "crawl/crawl_options.h"
#include "crawl/crawl_state.h"
#include "crawl/file_type.h"
#include "crawl/modern/page_references.h"
#include "crawl/row_facts.h"
#include "crawl/type_decision.h"

namespace harvel {

// The type stage for a reference found on a modern page. The URL's path is
// judged without query or fragment, its ending in any case.
enum class ReferenceType {
  Skip,      // not wanted
  Continue,  // wanted
  Html,      // a page: wanted while the level allows
  Untyped,   // a picture without a known ending: fetched, kept when it is one
};
ReferenceType ClassifyReference(const PageReference& reference, const CrawlOptions& options,
                                const UserExtList& userExt);

// Whether the type boxes want a picture of this ending (lower case, no dot):
// gif, jpg/jpeg and png by their own boxes; webp, avif, svg and ico while any
// of the three is on.
bool PictureBoxWanted(std::string_view ending, const CrawlOptions& options);

// IsFileType on the name as it stands or in lower case.
bool UserListWants(std::string_view name, const UserExtList& userExt);

// What the crawl keeps of `url` with modern pages on (ModernCrawlState).
RowFacts FactsOf(const CrawlState& state, const std::string& url);

// The type decision for a row by `saveFile` (the path below Harvel's folder)
// with modern pages on: RowIsWanted's rules with endings in any case, the
// newer picture types, and untyped pictures and script pages wanted.
bool ModernRowWanted(std::string_view saveFile, const RowFacts& facts, const CrawlOptions& options,
                     const UserExtList& userExt, const BinaryTest& isBinary);

}  // namespace harvel
