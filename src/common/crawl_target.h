#pragma once

#include <string>

namespace harvel {

// One row of the collection list or of the crawl list. All three fields are
// kept exactly as typed; the crawl converts the level when it handles the row.
struct CrawlTarget {
  std::string title;  // also the name of the download folder
  std::string url;
  std::string level;  // remaining link depth, as text

  friend bool operator==(const CrawlTarget&, const CrawlTarget&) = default;
};

}  // namespace harvel
