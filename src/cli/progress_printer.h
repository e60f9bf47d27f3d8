#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "cli/progress_line.h"
#include "crawl/crawl_observer.h"

namespace harvel {

// Shows a crawl in a terminal. For pipes and files: every status text and
// caption the crawl window would show, as one line each. For a terminal: one
// line redrawn in place that always holds the run's totals (ProgressLineText):
// files fetched and failed, rows left, files a second and the file under way.
// When verbose, each request as it ended is a line of its own
// (RequestRecordText), and so is each row that Site only or a rule left out.
class ProgressPrinter : public CrawlObserver {
 public:
  enum class Style { Lines, RedrawnLine };
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  // `width`: the terminal's columns, for the redrawn line.
  ProgressPrinter(std::ostream& out, Style style, int width = 80, bool verbose = false);

  // Asked for the terminal's columns at each redraw, so that a terminal made
  // narrower is followed; a value below 2 keeps the last width.
  void setColumns(std::function<int()> columns) { columns_ = std::move(columns); }
  void setClock(Clock clock) { clock_ = std::move(clock); }

  void rowInserted(std::size_t index, const CrawlTarget& row) override;
  void rowRemoved(std::size_t index) override;
  void statusTextChanged(int panel, const std::string& text) override;
  void captionChanged(const std::string& text) override;
  void requestStarted(const FileRequest& request) override;
  void requestEnded(const RequestRecord& record) override;
  void rowRefused(const std::string& url, const std::string& why) override;
  void loaded() override;
  void unloaded() override;

  // Takes the redrawn line off the terminal and writes everything out, so that
  // a line on another stream of the same terminal (a failure) stands alone;
  // the next report (the crawl's next status text) draws it again below.
  void clearLine();
  // Ends the redrawn line, if one is open, and writes everything out.
  void endLine();

  const ProgressTotals& totals() const { return totals_; }

 private:
  void redraw();
  // One more request ended as `name` ("too small" last, as in the summary line).
  void countOtherEnd(const std::string& name);

  std::ostream& out_;
  Style style_;
  int width_;
  bool verbose_;
  bool lineOpen_ = false;
  std::string shown_;           // the redrawn line as it stands
  bool drawnSinceEnd_ = false;  // drawn since the line was last ended
  std::function<int()> columns_;
  Clock clock_ = [] { return std::chrono::steady_clock::now(); };
  std::optional<std::chrono::steady_clock::time_point> startedAt_;
  ProgressTotals totals_;
};

}  // namespace harvel
