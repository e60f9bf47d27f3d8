#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>

#include "common/crawl_target.h"
#include "crawl/download_channel.h"
#include "crawl/modern/modern_state.h"
#include "crawl/visited_urls.h"

namespace harvel {

// The per-crawl state of a loaded crawl window: made fresh by each load, released
// at unload. The driver keeps its own reference while it runs, so that it can
// see the `closed` mark after the window has let go of the state.
struct CrawlState {
  std::deque<CrawlTarget> rows;  // the crawl list ListView1; row 1 is the front
  // Beside each row: the page whose links brought it (sent as the Referer);
  // empty for a row the user started.
  std::deque<std::string> referers;
  std::shared_ptr<Mailbox> mailbox = std::make_shared<Mailbox>();  // GetTxt
  bool closed = false;   // the window was unloaded: the crawl stops at its next yield
  bool running = false;  // a SearchStart is working this list
  bool paused = false;   // no new request until it is cleared; those under way finish

  std::int64_t DownCnt = 0;  // files fetched in this crawl window
  VisitedUrls visited;       // URLBuf, URLBufMax, URLBufCnt and URLBufCheck
  // The rows queued as a page's next page: how many next-page links led to
  // each, up to the next-pages option. Dropped as each is handled.
  std::unordered_map<std::string, int> nextPageChain;
  ModernCrawlState modern;  // local names and untyped pictures, with modern pages on

  // The row being handled.
  std::string CurURL;      // its URL; links on its page resolve against it
  std::string SaveFolder;  // Harvel's folder / the row's title
  std::string SaveFile;    // SaveFolder / the local file name (numbered when asked)
  std::int16_t Level = 0;  // its remaining link depth; lowered by each page link taken
  std::string TmpStr;      // the mailbox text copied just before a request

  // The row's file (SaveFile) landed and was counted, but is not kept after
  // all (a page read only for its links, a file that proved to be no picture):
  // it is removed and no longer counted.
  void dropLandedFile();
  // With names owned per URL: SaveFile becomes the name CurURL takes, owned
  // by it from now on. False when every number is taken.
  bool claimSaveFile();
};

}  // namespace harvel
