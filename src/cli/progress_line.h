#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace harvel {

// What harvel-cli's redrawn terminal line shows: the run's totals, the rows
// left in the crawl list and the file under way.
struct ProgressTotals {
  // Requested files that landed, pages read for links included (the summary
  // line's "landed" counts only the files that stay).
  std::int64_t fetched = 0;
  std::int64_t failed = 0;
  // Further ends of a request counted beside these, in the order of the
  // summary line ("already collected", "too small"); each is shown only when
  // it is not zero.
  std::vector<std::pair<std::string, std::int64_t>> otherEnds;
  std::int64_t left = 0;
  double filesPerSecond = 0;
  std::string fileUnderWay;  // the local name; empty between files
};

// "12 fetched, 3 failed, 340 left, 4.2 files/s  name.jpg" in at most `columns`
// terminal columns: the totals first, then as much of the file name's end as fits.
std::string ProgressLineText(const ProgressTotals& totals, int columns);

}  // namespace harvel
