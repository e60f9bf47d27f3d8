#pragma once

#include <ostream>
#include <string>

#include "crawl/crawl_observer.h"

namespace harvel {

// Shows a crawl in a terminal: every status text and caption the crawl window
// would show, as one line each (for pipes and files), or as a single progress
// line that is redrawn in place (for a terminal). When verbose, each request
// as it ended is a line of its own (RequestRecordText).
class ProgressPrinter : public CrawlObserver {
 public:
  enum class Style { Lines, RedrawnLine };

  // `width`: the terminal's columns, for the redrawn line.
  ProgressPrinter(std::ostream& out, Style style, int width = 80, bool verbose = false);

  void statusTextChanged(int panel, const std::string& text) override;
  void captionChanged(const std::string& text) override;
  void requestEnded(const RequestRecord& record) override;
  void unloaded() override;

  // Ends the redrawn line, if one is open, and writes everything out, so that
  // a line on another stream of the same terminal starts on a line of its own.
  void endLine();

 private:
  void show(const std::string& text);

  std::ostream& out_;
  Style style_;
  int width_;
  bool verbose_;
  bool lineOpen_ = false;
};

}  // namespace harvel
