#include "crawl/staging_lookahead.h"

#include <algorithm>

#include "crawl/option_table.h"
#include "crawl/row_plan.h"

namespace harvel {
namespace {

// Rows looked at ahead of the crawl, per download allowed at once.
constexpr std::size_t kRowsAheadPerJob = 4;
// Copies staged and not yet asked for, per row looked at: rows staged earlier
// that pictures put in front have pushed further down still count, and the
// rows at the top must still find room.
constexpr std::size_t kStagedPerRowAhead = 2;

}  // namespace

void StagingLookahead::beforeRow(const CrawlState& state) {
  DownloadChannel& channel = context_.channel;
  // The row handled before was staged but never asked for.
  if (current_ && staged_.erase(*current_) > 0)
    channel.Unstage(current_->first, current_->second);
  current_.reset();

  const int jobs = std::clamp(context_.options.jobs(), 1, kMaxJobs);
  if (jobs <= 1 || context_.options.speedLevel() != 0 || !channel.canStage()) {
    dropAll();
    return;
  }
  const std::size_t ahead = kRowsAheadPerJob * static_cast<std::size_t>(jobs);
  const std::size_t room = kStagedPerRowAhead * ahead;
  // Row 1 itself is staged too: pictures that the last page put in front have
  // not been seen yet, and the first of them is handled now.
  // Row 1 always finds room: it is asked for next.
  for (std::size_t i = 0; i < state.rows.size() && i < ahead && (i == 0 || staged_.size() < room);
       ++i) {
    const CrawlTarget& row = state.rows[i];
    Key key{row.url, RowFolder(context_, row)};
    if (staged_.count(key) > 0) {
      if (i == 0)
        current_ = std::move(key);
      continue;
    }
    const std::string referer = i < state.referers.size() ? state.referers[i] : std::string();
    const RowPlan plan = PlanRow(context_, state, row, referer);
    // A page the record knows is asked for conditionally when its row comes.
    if (plan.action != RowAction::Request || plan.known.kind != KnownUrl::Kind::Unknown)
      continue;
    const FileRequest& request = plan.request;
    channel.Stage(StagedFile{request.url, plan.saveFolder, request.referer, request.maxSize}, jobs);
    staged_.insert(key);
    if (i == 0)
      current_ = std::move(key);
  }
}

void StagingLookahead::requested(const std::string& url, const std::string& folder) {
  staged_.erase(Key{url, folder});
}

void StagingLookahead::dropAll() {
  for (const Key& key : staged_)
    context_.channel.Unstage(key.first, key.second);
  staged_.clear();
  current_.reset();
}

}  // namespace harvel
