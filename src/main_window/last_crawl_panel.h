#pragma once

#include <QLabel>

#include "crawl/crawl_observer.h"
#include "crawl/landed_paths.h"
#include "widgets/failure_list.h"

namespace harvel {

// The main window's status-bar panel for the last crawl: "前回の巡回: 取得 N /
// 失敗 M", then "/ 取得済 K", "/ 小さい画像 L", "/ 除外 E" and "/ 再開 R" (the
// landed files that were continued after a cut-off) when there were any, and
// "(中止)" for a crawl that was stopped; its tool tip the latest failures with
// their reasons (as the crawl window's 失敗:N panel lists them). It appears
// when a crawl ends, since the crawl window closes itself soon after, and
// stays until the next crawl starts. 取得 counts the files that landed and
// are still in the folder when the crawl ends: a page read only for its links
// is not one of them.
class LastCrawlPanel : public QLabel, public CrawlObserver {
  Q_OBJECT
 public:
  explicit LastCrawlPanel(QWidget* parent = nullptr);

  const FailureList& failures() const { return failures_; }
  // The crawl that just ended was stopped by the user.
  void markStopped();

  // CrawlObserver
  void loaded() override;
  void requestEnded(const RequestRecord& record) override;
  void unloaded() override;

 private:
  void showResult();

  LandedPaths landed_;
  LandedPaths resumed_;  // landed by continuing a download that was cut off
  FailureList failures_;
  int collected_ = 0;
  int tooSmall_ = 0;
  int robotsExcluded_ = 0;  // refused by robots.txt
  bool stopped_ = false;
};

}  // namespace harvel
