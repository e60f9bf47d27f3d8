#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/crawl_target.h"
#include "crawl/collected_files.h"
#include "crawl/crawl_context.h"
#include "crawl/page_reader.h"
#include "crawl/row_facts.h"

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

// Reads the landed copy at `copyPath` of the page row `page` as the crawl will
// read that row when it reaches it: with the row's `reader`, from the row's
// level. Returns the rows it will then queue, in the order it
// queues them; `known` tells the URLs the visited-URL buffer will keep out.
// Nothing of the crawl is read or changed here: the result is the caller's
// scratch state. A copy larger than kReadAheadLimit gives no rows. `found`,
// when given, receives the page as the reader read it whole (end Read), so
// that the crawl need not read that copy again.
std::vector<PredictedRow> ReadAhead(const CrawlContext& context, const PageReader& reader,
                                    const CrawlTarget& page, const std::string& copyPath,
                                    const std::function<bool(const std::string&)>& known,
                                    PageFound* found = nullptr);

// The rows the crawl will queue when the page row `page`, which the record
// knows, proves unchanged: its recorded `links` taken as the crawl takes them
// then. Links recorded by another reader than the row's `reader` give none.
std::vector<PredictedRow> PredictFromRecord(const CrawlContext& context, const PageReader& reader,
                                            const CrawlTarget& page, const PageLinks& links,
                                            const std::function<bool(const std::string&)>& known);

}  // namespace harvel
