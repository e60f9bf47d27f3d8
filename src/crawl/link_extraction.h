#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crawl/crawl_context.h"
#include "crawl/crawl_state.h"
#include "crawl/link_resolver.h"

namespace harvel {

// The four scans of a page, in their order; the record keeps each link under
// its scan's index. The href scans run only while the level allows.
inline constexpr const char* kScanKeys[] = {"src=", "SRC=", "href=", "HREF="};
inline constexpr std::size_t kFirstHrefKey = 2;

enum class ScanEnd {
  Finished,  // the page text holds no further occurrence of the key
  Closed,    // the crawl window was closed during the scan
};

// Queues `url` as a new row of `level` under row 1's title, with the page's URL
// as its referer, unless the URL filter or the visited-URL buffer keeps it out:
// right behind row 1 when it is a `picture` and PicFastDownChk is on, else at
// the end. False when it was not queued.
bool QueueLink(CrawlContext& context, CrawlState& state, const std::string& url, std::int16_t level,
               bool picture);

// A link that a page's scan takes: what QueueLink is given.
struct TakenLink {
  std::string url;
  std::int16_t level = 0;
  bool picture = false;
};

// The type stage and the HTML rule for the quoted link text `link` found on
// the page `resolver` resolves against: nullopt when it is not taken. A page
// link taken uses up one of `level`, the page row's remaining depth.
std::optional<TakenLink> TakeLink(const CrawlOptions& options, const UserExtList& userExt,
                                  const LinkResolver& resolver, std::string_view link,
                                  std::int16_t& level);

// The scan of SearchStr without its queueing: `found` gets each quoted link
// text holding a "." after an occurrence of `key`, and `next` runs after every
// occurrence; false from it stops the scan (Closed).
ScanEnd ScanForKey(std::string_view page, std::string_view key,
                   const std::function<void(std::string_view)>& found,
                   const std::function<bool()>& next);

// SearchStr: one scan of `page` (the row's page as read for links) for `key` ("src=", "SRC=",
// "href=", "HREF="). The text between the next two double quotes after each occurrence is a link
// when it holds a "."; it is resolved against CurURL, passed through the type options, the HTML
// rule, the URL filter and the visited-URL buffer, and queued as a new row (pictures right behind
// row 1 while PicFastDownChk is on). Paces with WaitSpeed after every occurrence and stops once the
// window closes.
ScanEnd SearchStr(CrawlContext& context, CrawlState& state, std::string_view page,
                  std::string_view key);

// The link texts a SearchStr scan for `key` would examine, in order.
std::vector<std::string> FindLinkTexts(std::string_view page, std::string_view key);

// Examines and queues `links` (texts a scan found on the page of row 1) as
// SearchStr does, pacing after each.
ScanEnd QueueLinkTexts(CrawlContext& context, CrawlState& state,
                       const std::vector<std::string>& links);

}  // namespace harvel
