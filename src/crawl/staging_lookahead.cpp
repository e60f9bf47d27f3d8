#include "crawl/staging_lookahead.h"

#include <algorithm>

#include "common/is_binary_file.h"
#include "common/url_scheme.h"
#include "crawl/file_name.h"
#include "crawl/option_table.h"
#include "crawl/sequential_name.h"
#include "crawl/title_check.h"
#include "crawl/type_decision.h"

namespace harvel {
namespace {

constexpr std::string_view kMailto = "mailto:";
// Rows looked at ahead of the crawl, per download allowed at once.
constexpr std::size_t kRowsAheadPerJob = 4;
// Copies staged and not yet asked for, per row looked at: rows staged earlier
// that pictures put in front have pushed further down still count, and the
// rows at the top must still find room.
constexpr std::size_t kStagedPerRowAhead = 2;

std::string FolderOf(const CrawlContext& context, const CrawlTarget& row) {
  return context.harvelFolder + "/" + row.title;
}

}  // namespace

bool WouldRequest(const CrawlContext& context, const CrawlTarget& row, const std::string& referer) {
  if (TitleIsRefused(row.title))
    return false;
  const CrawlOptions& options = context.options;
  std::string saveFile = FolderOf(context, row) + "/" + GetFileName(row.url);
  const auto below = [&] { return std::string_view(saveFile).substr(context.harvelFolder.size()); };
  if (options.on(Check::Renban) && !Contains(below(), kMailto) && OrdinaryFileExists(saveFile)) {
    std::optional<std::string> numbered = FirstFreeNumberedName(saveFile);
    if (!numbered)
      return false;
    saveFile = std::move(*numbered);
  }
  if (!RowIsWanted(below(), options, context.userExt, [&] { return IsBinaryFile(saveFile); }))
    return false;
  if (Contains(below(), "=") && !options.on(Check::CGI))
    return false;
  if (Contains(below(), kMailto))
    return false;
  // Rows the driver fails without a request.
  if (!IsDownloadableUrl(row.url) ||
      !context.channel.CanCarry(FileRequest{row.url, saveFile, referer, options.maxFileSize()}))
    return false;
  // With the only-new option, nothing the record knows is fetched ahead: a
  // file is not asked for at all, a page only conditionally, when its row comes.
  if (options.onlyNew() && context.collected != nullptr)
    return context.collected->lookup(FolderOf(context, row), row.url).kind ==
           KnownUrl::Kind::Unknown;
  return true;
}

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
  for (std::size_t i = 0; i < state.rows.size() && i < ahead && staged_.size() < room; ++i) {
    const CrawlTarget& row = state.rows[i];
    Key key{row.url, FolderOf(context_, row)};
    if (staged_.count(key) > 0) {
      if (i == 0)
        current_ = std::move(key);
      continue;
    }
    const std::string referer = i < state.referers.size() ? state.referers[i] : std::string();
    if (!WouldRequest(context_, row, referer))
      continue;
    channel.Stage(StagedFile{row.url, key.second, referer, context_.options.maxFileSize()}, jobs);
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
