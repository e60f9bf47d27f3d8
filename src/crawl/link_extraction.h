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
#include "crawl/page_reader.h"

namespace harvel {

// The crawl's own row read for links: each link taken is queued
// (CrawlContext::queueLink); WaitSpeed after every line and link, and a
// long reading waits handling events; both stop once the window closes.
class CrawlRowVisit : public PageVisit {
 public:
  CrawlRowVisit(CrawlContext& context, CrawlState& state) : context_(context), state_(state) {}

  void take(const TakenLink& link) override;
  bool paced() override;
  std::optional<Waiting> waiting() override { return Waiting{context_.pump, state_.closed}; }

 private:
  CrawlContext& context_;
  CrawlState& state_;
};

// The type stage and the HTML rule for the quoted link text `link` found on
// the page `resolver` resolves against: nullopt when it is not taken. A page
// link taken uses up one of `level`, the page row's remaining depth.
std::optional<TakenLink> TakeLink(const CrawlOptions& options, const UserExtList& userExt,
                                  const LinkResolver& resolver, std::string_view link,
                                  std::int16_t& level);

// The scan of SearchStr without its queueing: `found(link)` gets each quoted
// link text holding a "." after an occurrence of `key`, and `next()` runs
// after every occurrence; false from it stops the scan (Closed).
template <typename Found, typename Next>
ScanEnd ScanForKey(std::string_view page, std::string_view key, Found&& found, Next&& next) {
  std::size_t scanPos = 0;
  for (;;) {
    const std::size_t keyPos = page.find(key, scanPos);
    if (keyPos == std::string_view::npos)
      return ScanEnd::Finished;
    const std::size_t open = page.find('"', keyPos);
    if (open == std::string_view::npos)
      return ScanEnd::Finished;  // no quoted value follows
    // The next search starts inside this link text, so a key within it is found again.
    scanPos = open + 1;
    const std::size_t close = page.find('"', scanPos);
    if (close != std::string_view::npos) {
      const std::string_view link = page.substr(scanPos, close - scanPos);
      if (link.find('.') != std::string_view::npos)
        found(link);
    }
    if (!next())
      return ScanEnd::Closed;
  }
}

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

}  // namespace harvel
