#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/crawl_target.h"
#include "crawl/collected_files.h"
#include "crawl/crawl_context.h"
#include "crawl/modern/modern_types.h"

namespace harvel {

// A row that the crawl will queue when it reads a page read ahead.
struct PredictedRow {
  CrawlTarget row;       // the page's title, the link, the level it is queued at
  std::string referer;   // the page's URL
  bool picture = false;  // queued right behind the page while pictures go first
  RowFacts facts;        // what the page says of it (modern pages)
};

// A copy larger than this is not read ahead: the crawl reads it in its turn.
inline constexpr std::uintmax_t kReadAheadLimit = std::uintmax_t{2} << 20;

// Whether the crawl will read a row's file at `saveFile` for links (the rule
// of RowIsPage as far as it is known before the file lands): a script page
// only when `contentType` (once known) calls it HTML.
bool MayBeReadForLinks(const CrawlOptions& options, const std::string& saveFile,
                       const RowFacts& facts);
bool IsReadForLinks(const CrawlOptions& options, const std::string& saveFile, const RowFacts& facts,
                    std::string_view contentType);

// Reads the landed copy at `copyPath` of the page row `page` as the crawl will
// read that row when it reaches it: the same reader under the current options,
// from the row's level. Returns the rows it will then queue, in the order it
// queues them; `known` tells the URLs the visited-URL buffer will keep out.
// Nothing of the crawl is read or changed here: the result is the caller's
// scratch state. A copy larger than kReadAheadLimit gives no rows.
std::vector<PredictedRow> ReadAhead(const CrawlContext& context, const CrawlTarget& page,
                                    const std::string& copyPath,
                                    const std::function<bool(const std::string&)>& known);

// The rows the crawl will queue when the page row `page`, which the record
// knows, proves unchanged: its recorded `links` taken as the crawl takes them
// then. Links recorded by the other reader than the options' give none.
std::vector<PredictedRow> PredictFromRecord(const CrawlContext& context, const CrawlTarget& page,
                                            const PageLinks& links,
                                            const std::function<bool(const std::string&)>& known);

}  // namespace harvel
