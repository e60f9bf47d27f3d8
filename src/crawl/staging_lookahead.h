#pragma once

#include <optional>
#include <set>
#include <string>
#include <utility>

#include "common/crawl_target.h"
#include "crawl/crawl_context.h"

namespace harvel {

// Whether the driver, deciding `row` now with the current options, would ask
// the downloader for its file: the same steps and decision functions as the
// driver (the folder check, numbering, the type decision, the "=" filter, mail
// rows), and with the only-new option the record of the row's folder. The
// answer may turn out wrong by the time the row is handled (an
// option changed, an earlier row's file landed under the same name); that only
// costs a transfer made for nothing.
// `referer` is the page that brought the row (empty for a row the user started).
bool WouldRequest(const CrawlContext& context, const CrawlTarget& row,
                  const std::string& referer = {});

// Keeps the downloader fetching ahead of the crawl at speed level 0: before
// each row it stages the rows at the top of the crawl list that the current
// options would download, so that their files are on the way while the crawl
// still works through the rows before them. The crawl itself still handles
// one row at a time and sends one request per wanted row; staging only makes
// the answer come sooner.
class StagingLookahead {
 public:
  explicit StagingLookahead(CrawlContext& context) : context_(context) {}
  StagingLookahead(const StagingLookahead&) = delete;
  StagingLookahead& operator=(const StagingLookahead&) = delete;
  ~StagingLookahead() { dropAll(); }

  // Row 1 of `state` is about to be handled.
  void beforeRow(const CrawlState& state);
  // The driver asks for `url` into `folder` now; a staged copy is used up.
  void requested(const std::string& url, const std::string& folder);
  // Every staged copy not asked for is removed (the crawl ends, or a pacing
  // other than the fastest is chosen).
  void dropAll();

  std::size_t stagedCount() const { return staged_.size(); }

 private:
  using Key = std::pair<std::string, std::string>;  // URL, folder

  CrawlContext& context_;
  std::set<Key> staged_;
  std::optional<Key> current_;  // row 1 when it was staged
};

}  // namespace harvel
