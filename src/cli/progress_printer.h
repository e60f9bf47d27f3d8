#pragma once

#include <ostream>
#include <string>

#include "crawl/crawl_observer.h"

namespace harvel {

// Shows a crawl in a terminal: every status text and caption the crawl window
// would show, as one line each (for pipes and files), or as a single progress
// line that is redrawn in place (for a terminal).
class ProgressPrinter : public CrawlObserver {
 public:
  enum class Style { Lines, RedrawnLine };

  // `width`: the terminal's columns, for the redrawn line.
  ProgressPrinter(std::ostream& out, Style style, int width = 80);

  void statusTextChanged(int panel, const std::string& text) override;
  void captionChanged(const std::string& text) override;
  void unloaded() override;

 private:
  void show(const std::string& text);

  std::ostream& out_;
  Style style_;
  int width_;
  bool lineOpen_ = false;
};

}  // namespace harvel
