#pragma once

#include <string_view>

#include "crawl/crawl_context.h"
#include "crawl/crawl_state.h"

namespace harvel {

enum class ScanEnd {
  Finished,  // the page text holds no further occurrence of the key
  Closed,    // the crawl window was closed during the scan
};

// SearchStr: one scan of `page` (the row's page as read for links) for `key` ("src=", "SRC=",
// "href=", "HREF="). The text between the next two double quotes after each occurrence is a link
// when it holds a "."; it is resolved against CurURL, passed through the type options, the HTML
// rule, the URL filter and the visited-URL buffer, and queued as a new row (pictures right behind
// row 1 while PicFastDownChk is on). Paces with WaitSpeed after every occurrence and stops once the
// window closes.
ScanEnd SearchStr(CrawlContext& context, CrawlState& state, std::string_view page,
                  std::string_view key);

}  // namespace harvel
