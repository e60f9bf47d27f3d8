#pragma once

#include <optional>
#include <set>
#include <string>
#include <utility>

#include "common/crawl_target.h"
#include "crawl/crawl_context.h"

namespace harvel {

// Keeps the downloader fetching ahead of the crawl at speed level 0: before
// each row it stages the rows at the top of the crawl list whose plan
// (PlanRow, the driver's own decision) is a request, so that their files are on the way while the
// crawl still works through the rows before them. The crawl itself still handles one row at a time
// and sends one request per wanted row; staging only makes the answer come sooner.
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
