#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "crawl/crawl_observer.h"
#include "crawl/landed_paths.h"

namespace harvel {

// Counts the requested files that landed, failed, were collected already
// (the only-new option) and were left out as too small across all crawls of
// one run, writes one line per failure and per record moved aside to `err`,
// and passes every report on to `next` (the progress printer, or nobody when
// quiet). What landed is counted by what stays: a page read only for its
// links is removed after reading and not counted, and a file landed twice
// under one name counts once.
class OutcomeTally : public CrawlObserver {
 public:
  OutcomeTally(std::ostream& err, CrawlObserver* next) : err_(err), next_(next) {}

  // Runs before a failure line is written: takes a progress line that is being
  // redrawn on the same terminal out of its way.
  void setBeforeError(std::function<void()> hook) { beforeError_ = std::move(hook); }

  // The files that landed and are in their folders now.
  std::int64_t landed() const { return landedPaths_.stillThere(); }
  std::int64_t failed() const { return failed_; }
  std::int64_t alreadyCollected() const { return alreadyCollected_; }
  std::int64_t tooSmall() const { return tooSmall_; }
  std::int64_t robotsExcluded() const { return robotsExcluded_; }

  // "harvel-cli: 12 landed, 3 failed", then ", 4988 already collected" and
  // ", 5 too small" and ", robots: 2" when there are any.
  std::string summary() const;

  void recordRestarted(const RecordStatus& status) override;

  void requestEnded(const RequestRecord& record) override;

  void rowInserted(std::size_t index, const CrawlTarget& row) override {
    if (next_)
      next_->rowInserted(index, row);
  }
  void rowRemoved(std::size_t index) override {
    if (next_)
      next_->rowRemoved(index);
  }
  void rowRefused(const std::string& url, const std::string& why) override {
    if (next_)
      next_->rowRefused(url, why);
  }
  void requestStarted(const FileRequest& request) override {
    if (next_)
      next_->requestStarted(request);
  }
  void statusTextChanged(int panel, const std::string& text) override {
    if (next_)
      next_->statusTextChanged(panel, text);
  }
  void captionChanged(const std::string& text) override {
    if (next_)
      next_->captionChanged(text);
  }
  void showWindow() override {
    if (next_)
      next_->showWindow();
  }
  void loaded() override {
    if (next_)
      next_->loaded();
  }
  void unloaded() override {
    if (next_)
      next_->unloaded();
  }

 private:
  std::ostream& err_;
  CrawlObserver* next_;
  std::function<void()> beforeError_;
  LandedPaths landedPaths_;
  std::int64_t failed_ = 0;
  std::int64_t alreadyCollected_ = 0;
  std::int64_t tooSmall_ = 0;        // pictures under the minimum: neither landed nor failed
  std::int64_t robotsExcluded_ = 0;  // refused by robots.txt: not fetched
};

}  // namespace harvel
