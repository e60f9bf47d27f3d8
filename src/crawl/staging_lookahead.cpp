#include "crawl/staging_lookahead.h"

#include <sys/stat.h>

#include <algorithm>

#include "crawl/option_table.h"

namespace harvel {
namespace {

// Rows looked at ahead of the crawl, per download allowed at once.
constexpr std::size_t kRowsAheadPerJob = 4;
// Copies staged and not yet asked for, per row looked at: rows staged earlier
// that pictures put in front have pushed further down still count, and the
// rows at the top must still find room.
constexpr std::size_t kStagedPerRowAhead = 2;
// What the pages read ahead and kept for the crawl may hold at once.
constexpr std::size_t kKeptReadBytes = std::size_t{8} << 20;

std::size_t BytesOf(const PageFound& page) {
  std::size_t bytes = page.text.size();
  for (const PageReference& reference : page.references)
    bytes += sizeof reference + reference.url.size();
  return bytes;
}

}  // namespace

StagingLookahead::StagingLookahead(CrawlContext& context) : context_(context) {
  context_.rowChanges = this;
}

StagingLookahead::~StagingLookahead() {
  dropAll();
  if (context_.rowChanges == this)
    context_.rowChanges = nullptr;
}

int StagingLookahead::jobs() const {
  return std::clamp(context_.options.jobs(), 1, kMaxJobs);
}

bool StagingLookahead::staging() const {
  // robots.txt is asked before each request: nothing is fetched ahead of it.
  return jobs() > 1 && context_.options.speedLevel() == 0 && !context_.options.robots() &&
         context_.channel.canStage();
}

void StagingLookahead::beforeRow(const CrawlState& state, const RowPlan* plan) {
  // The row handled before was staged but never asked for.
  if (current_ && staged_.count(*current_) > 0)
    drop(*current_);
  current_.reset();
  // The crawl has read the page handled before (if it was a page): what was
  // predicted from it is now in the crawl's list, or was predicted wrong.
  if (!handling_.empty()) {
    settle(state, handling_);
    forgetRead(handling_);
  }
  handling_ = state.rows.empty() ? std::string() : state.rows.front().url;

  if (!staging()) {
    dropAll();
    return;
  }
  readLandedPages(state);
  stageAhead(state, 0, plan);
}

void StagingLookahead::whileWaiting(const CrawlState& state) {
  if (staging() && readLandedPages(state))
    stageAhead(state, 1, nullptr);
}

bool StagingLookahead::readLandedPages(const CrawlState& state) {
  DownloadChannel& channel = context_.channel;
  if (!channel.tellsLanded())
    return false;
  bool read = false;
  for (const LandedCopy& landed : channel.takeLandedCopies()) {
    const auto copy = staged_.find(landed.url);
    if (copy == staged_.end() || copy->second.folder != landed.folder || !copy->second.page ||
        (readAhead_.count(landed.url) > 0 && !copy->second.fromRecord) ||
        !copy->second.reader->readsForLinks(copy->second.saveFile, copy->second.facts,
                                            landed.contentType)) {
      continue;
    }
    // A page the record knows has changed: its file, not the record, tells
    // what the crawl will queue below it now.
    std::vector<PredictedRow> recorded;
    if (const auto page = readAhead_.find(landed.url); page != readAhead_.end()) {
      recorded = std::move(page->second);
      readAhead_.erase(page);
      for (const PredictedRow& row : recorded)
        predicted_.erase(row.row.url);
    }
    copy->second.fromRecord = false;
    PageFound found;
    std::vector<PredictedRow> rows = ReadAhead(
        context_, *copy->second.reader, copy->second.row, landed.path,
        [&](const std::string& url) {
          return state.visited.URLBufCheck(url) != 0 || predicted_.count(url) > 0;
        },
        &found);
    if (found.end == PageRead::Read)
      keepRead(landed.url, landed.folder, landed.path, std::move(found));
    std::unordered_set<std::string> still;
    for (const PredictedRow& row : rows)
      still.insert(row.row.url);
    remember(state, landed.url, std::move(rows));
    for (const PredictedRow& row : recorded) {
      const auto gone = staged_.find(row.row.url);
      if (still.count(row.row.url) == 0 && gone != staged_.end() &&
          gone->second.fromPage == landed.url)
        drop(row.row.url);
    }
    read = true;
  }
  return read;
}

void StagingLookahead::stageAhead(const CrawlState& state, std::size_t fromRow,
                                  const RowPlan* first) {
  const std::size_t ahead = kRowsAheadPerJob * static_cast<std::size_t>(jobs());
  const std::size_t room = kStagedPerRowAhead * ahead;
  const auto refererOf = [&](std::size_t i) {
    return i < state.referers.size() ? state.referers[i] : std::string();
  };
  if (&state != lookedState_ || looked_.size() > state.rows.size()) {
    forgetLooked();
    lookedState_ = &state;
  }
  // Row 1 is asked for next: it is considered with the driver's plan each
  // time, and always finds room.
  if (fromRow == 0 && !state.rows.empty())
    consider(state, state.rows.front(), refererOf(0), nullptr, true, first);
  // Below the rows looked at already; from the top when rows came in among
  // them.
  std::size_t looked = lookAgain_ == 0 ? lookedSum_ : 0;
  std::size_t i = lookAgain_ == 0 ? looked_.size() : 0;
  for (; i < state.rows.size() && looked < ahead && (i == 0 || staged_.size() < room); ++i) {
    if (i < looked_.size() && looked_[i] > 0) {
      looked += looked_[i];
      continue;
    }
    const CrawlTarget& row = state.rows[i];
    // A row (or a picture behind it) that is not staged is looked at again
    // next time: whether it is asked for may change with what lands (a
    // name's number, the record of a folder opened later).
    bool settled = true;
    if (i > 0 && i >= fromRow) {
      consider(state, row, refererOf(i), nullptr, false);
      settled = staged_.count(row.url) > 0;
    }
    const std::size_t before = looked++;
    settled = picturesAhead(state, row.url, ahead, looked) && settled;
    markLooked(i, settled ? looked - before : 0);
  }
  if (i < state.rows.size())
    return;
  // The list is used up: what pages read ahead queue at its end comes next.
  std::vector<const PredictedRow*> later;
  for (const CrawlTarget& row : state.rows)
    predictedLater(row.url, later);
  for (std::size_t j = 0; j < later.size() && looked < ahead && staged_.size() < room; ++j) {
    const PredictedRow& row = *later[j];
    consider(state, row.row, row.referer, &row, false);
    ++looked;
    picturesAhead(state, row.row.url, ahead, looked);
    predictedLater(row.row.url, later);
  }
}

bool StagingLookahead::picturesAhead(const CrawlState& state, const std::string& url,
                                     std::size_t ahead, std::size_t& looked) {
  const auto page = readAhead_.find(url);
  if (page == readAhead_.end() || !context_.options.on(Check::PicFastDown))
    return true;
  // Each picture goes right behind the page, before those found earlier.
  const std::vector<PredictedRow>& rows = page->second;
  bool staged = true;
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    if (!row->picture)
      continue;
    if (looked >= ahead)
      return false;
    consider(state, row->row, url, &*row, false);
    staged = staged && staged_.count(row->row.url) > 0;
    ++looked;
  }
  return staged;
}

void StagingLookahead::predictedLater(const std::string& url,
                                      std::vector<const PredictedRow*>& later) const {
  const auto page = readAhead_.find(url);
  if (page == readAhead_.end())
    return;
  const bool picturesFirst = context_.options.on(Check::PicFastDown);
  for (const PredictedRow& row : page->second) {
    if (!row.picture || !picturesFirst)
      later.push_back(&row);
  }
}

void StagingLookahead::markLooked(std::size_t index, std::size_t slots) {
  if (index >= looked_.size()) {
    lookAgain_ += index + 1 - looked_.size();
    looked_.resize(index + 1, 0);
  }
  std::size_t& mark = looked_[index];
  lookAgain_ -= mark == 0 ? 1 : 0;
  lookedSum_ -= mark;
  mark = slots;
  lookAgain_ += mark == 0 ? 1 : 0;
  lookedSum_ += mark;
}

void StagingLookahead::consider(const CrawlState& state, const CrawlTarget& row,
                                const std::string& referer, const PredictedRow* predicted,
                                bool first, const RowPlan* given) {
  if (sentAhead_.count(row.url) > 0)
    return;  // asked for already
  if (const auto copy = staged_.find(row.url); copy != staged_.end()) {
    if (first && copy->second.folder == RowFolder(context_, row))
      current_ = row.url;
    return;
  }
  // Row 1 is staged by the driver's own plan, and not at all without one.
  if (first && given == nullptr)
    return;
  // A predicted row that the crawl has queued meanwhile from another page.
  if (predicted != nullptr && state.visited.URLBufCheck(row.url) != 0)
    return;
  std::optional<RowPlan> planned;
  if (given == nullptr)
    planned =
        PlanRow(context_, state, row, referer, predicted != nullptr ? &predicted->facts : nullptr);
  const RowPlan& plan = given != nullptr ? *given : *planned;
  if (plan.action != RowAction::Request || !plan.reader->fetchedAhead(plan.saveFile, plan.facts))
    return;
  const FileRequest& request = plan.request;
  // A page the record knows is asked for conditionally: fetched ahead only by
  // a downloader that can do the same.
  const bool conditional = request.conditional();
  if (conditional && !context_.channel.stagesConditional())
    return;
  const bool page = context_.channel.tellsLanded() &&
                    plan.reader->readsForLinks(plan.saveFile, plan.facts, std::nullopt);
  StagedFile file{request, page, jobs()};
  file.request.path = plan.saveFolder;
  context_.channel.Stage(file);
  staged_.emplace(row.url,
                  Copy{plan.saveFolder, row, plan.reader, plan.saveFile, plan.facts, page,
                       predicted != nullptr ? predicted->referer : std::string(), conditional});
  if (first)
    current_ = row.url;
  if (conditional)
    predictFromRecord(state, row, plan.saveFolder, *plan.reader);
}

void StagingLookahead::rowInserted(const CrawlState& of, std::size_t index) {
  if (&of != lookedState_ || index >= looked_.size())
    return;
  looked_.insert(looked_.begin() + static_cast<std::ptrdiff_t>(index), 0);
  ++lookAgain_;
}

void StagingLookahead::firstRowRemoved(const CrawlState& of) {
  if (&of != lookedState_ || looked_.empty())
    return;
  lookAgain_ -= looked_.front() == 0 ? 1 : 0;
  lookedSum_ -= looked_.front();
  looked_.pop_front();
}

// The pictures predicted behind the page `url` changed: its row is looked at
// again.
void StagingLookahead::lookAgainAt(const CrawlState& state, const std::string& url) {
  if (&state != lookedState_)
    return;
  for (std::size_t i = 0; i < looked_.size() && i < state.rows.size(); ++i) {
    if (state.rows[i].url == url) {
      markLooked(i, 0);
      return;
    }
  }
}

void StagingLookahead::forgetLooked() {
  looked_.clear();
  lookedSum_ = 0;
  lookAgain_ = 0;
}

void StagingLookahead::predictFromRecord(const CrawlState& state, const CrawlTarget& page,
                                         const std::string& folder, const PageReader& reader) {
  PageLinks links;
  if (context_.collected == nullptr || readAhead_.count(page.url) > 0 ||
      !context_.collected->pageLinks(folder, page.url, links))
    return;
  remember(state, page.url,
           PredictFromRecord(context_, reader, page, links, [&](const std::string& url) {
             return state.visited.URLBufCheck(url) != 0 || predicted_.count(url) > 0;
           }));
}

void StagingLookahead::remember(const CrawlState& state, const std::string& page,
                                std::vector<PredictedRow> rows) {
  for (const PredictedRow& row : rows)
    predicted_.insert(row.row.url);
  readAhead_.emplace(page, std::move(rows));
  lookAgainAt(state, page);
}

void StagingLookahead::settle(const CrawlState& state, const std::string& page) {
  const auto found = readAhead_.find(page);
  if (found == readAhead_.end())
    return;
  const std::vector<PredictedRow> rows = std::move(found->second);
  readAhead_.erase(found);
  for (const PredictedRow& row : rows) {
    predicted_.erase(row.row.url);
    const auto copy = staged_.find(row.row.url);
    if (copy == staged_.end() || copy->second.fromPage != page)
      continue;
    if (state.visited.URLBufCheck(row.row.url) != 0) {
      copy->second.fromPage.clear();  // in the crawl's list now: its row decides it
    } else {
      drop(row.row.url);
    }
  }
}

std::optional<StagingLookahead::FileIdentity> StagingLookahead::IdentityOf(
    const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
    return std::nullopt;
  return FileIdentity{
      static_cast<std::uintmax_t>(status.st_dev), static_cast<std::uintmax_t>(status.st_ino),
      static_cast<std::uintmax_t>(status.st_size),
      static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

void StagingLookahead::keepRead(const std::string& url, const std::string& folder,
                                const std::string& path, PageFound page) {
  forgetRead(url);
  const std::size_t bytes = BytesOf(page);
  const std::optional<FileIdentity> file = IdentityOf(path);
  if (!file || keptReadBytes_ + bytes > kKeptReadBytes)
    return;
  keptReadBytes_ += bytes;
  pagesRead_.emplace(url, ReadCopy{folder, *file, std::move(page)});
}

void StagingLookahead::forgetRead(const std::string& url) {
  const auto read = pagesRead_.find(url);
  if (read == pagesRead_.end())
    return;
  keptReadBytes_ -= BytesOf(read->second.page);
  pagesRead_.erase(read);
}

std::optional<PageFound> StagingLookahead::pageReadAhead(const std::string& url,
                                                         const std::string& folder,
                                                         const std::string& path) {
  const auto read = pagesRead_.find(url);
  if (read == pagesRead_.end())
    return std::nullopt;
  const bool same = read->second.folder == folder && IdentityOf(path) == read->second.file;
  std::optional<PageFound> page;
  if (same)
    page = std::move(read->second.page);
  keptReadBytes_ -= same ? BytesOf(*page) : BytesOf(read->second.page);
  pagesRead_.erase(read);
  return page;
}

void StagingLookahead::drop(const std::string& url) {
  forgetRead(url);
  const auto copy = staged_.find(url);
  if (copy != staged_.end()) {
    context_.channel.Unstage(url, copy->second.folder);
    staged_.erase(copy);
  }
  // What a page predicted goes with it, unless the crawl has queued it.
  const auto page = readAhead_.find(url);
  if (page == readAhead_.end())
    return;
  const std::vector<PredictedRow> rows = std::move(page->second);
  readAhead_.erase(page);
  for (const PredictedRow& row : rows) {
    predicted_.erase(row.row.url);
    const auto predicted = staged_.find(row.row.url);
    if (predicted != staged_.end() && predicted->second.fromPage == url)
      drop(row.row.url);
  }
}

void StagingLookahead::sentAhead(const std::string& url, const std::string& folder) {
  requested(url, folder);
  sentAhead_.insert(url);
}

void StagingLookahead::requested(const std::string& url, const std::string& folder) {
  sentAhead_.erase(url);
  const auto copy = staged_.find(url);
  if (copy != staged_.end() && copy->second.folder == folder)
    staged_.erase(copy);
}

void StagingLookahead::dropAll() {
  pagesRead_.clear();
  keptReadBytes_ = 0;
  if (!staged_.empty()) {
    std::vector<std::pair<std::string, std::string>> copies;
    copies.reserve(staged_.size());
    for (const auto& [url, copy] : staged_)
      copies.emplace_back(url, copy.folder);
    context_.channel.UnstageAll(copies);
  }
  staged_.clear();
  readAhead_.clear();
  predicted_.clear();
  current_.reset();
  forgetLooked();
}

}  // namespace harvel
