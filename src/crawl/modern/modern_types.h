#pragma once

#include <string>
#include <string_view>

#include "crawl/crawl_options.h"
#include "crawl/crawl_state.h"
#include "crawl/file_type.h"
#include "crawl/modern/page_references.h"
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

// What the page that queued a row said of it, with modern pages on. The crawl
// keeps it in its ModernCrawlState; a row predicted from a page read ahead
// carries its own.
struct RowFacts {
  bool untypedPicture = false;  // a picture without a known ending
  bool scriptPage = false;      // a page link whose name does not say "page"
};
RowFacts FactsOf(const CrawlState& state, const std::string& url);

// The type decision for a row by `saveFile` (the path below Harvel's folder):
// RowIsWanted, or with modern pages on the same rules with endings in any
// case, the newer picture types, and untyped pictures and script pages wanted.
bool RowWanted(std::string_view saveFile, const RowFacts& facts, const CrawlOptions& options,
               const UserExtList& userExt, const BinaryTest& isBinary);

// Whether the row's file (state.SaveFile) is read for links: ".htm", "html"
// or ".cgi" at its end; with modern pages on in any case, and also a typed row
// that the server called HTML.
bool RowIsPage(const CrawlState& state, const CrawlOptions& options);

// A row read as a page only because the server called it HTML.
bool IsServedPage(const CrawlState& state);

}  // namespace harvel
