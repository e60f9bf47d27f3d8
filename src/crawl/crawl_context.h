#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "common/event_pump.h"
#include "crawl/collected_files.h"
#include "crawl/crawl_observer.h"
#include "crawl/crawl_options.h"
#include "crawl/crawl_state.h"
#include "crawl/download_channel.h"
#include "crawl/file_type.h"
#include "crawl/page_readers.h"
#include "crawl/shell.h"

namespace harvel {

// Told of each change to a crawl list's rows once it is made (the lookahead
// of the running crawl follows its rows so).
class RowChanges {
 public:
  virtual ~RowChanges() = default;
  virtual void rowInserted(const CrawlState& of, std::size_t index) = 0;
  virtual void firstRowRemoved(const CrawlState& of) = 0;
};

// Everything the crawl window holds, shared by the window's procedures (load,
// unload, the driver, link extraction). The state of the loaded window is
// `state`; a closed state is no longer shown, so the helpers below change
// nothing on the screen for it.
struct CrawlContext {
  CrawlContext(const CrawlOptions& options, EventPump& pump, DownloadChannel& channel, Shell& shell,
               std::string harvelFolder);

  const CrawlOptions& options;
  EventPump& pump;
  DownloadChannel& channel;
  Shell& shell;
  const std::string harvelFolder;
  CrawlObserver* observer = nullptr;
  CollectedFiles* collected = nullptr;    // the folders' records, for the only-new option
  RowChanges* rowChanges = nullptr;       // the running crawl's lookahead
  std::int32_t completionPauseMs = 2000;  // the pause before the window closes itself

  std::shared_ptr<CrawlState> state;  // nullptr while the window is not loaded
  UserExtList userExt;                // outlives loads
  const PageReaders readers{options, userExt};
  std::string caption;
  std::string status1;
  std::string status2;
  std::string errorText;

  void load();    // Form_Load
  void unload();  // Form_Unload

  void setCaption(const CrawlState& of, std::string text);
  void setStatus(const CrawlState& of, int panel, std::string text);
  void insertRow(CrawlState& of, std::size_t index, CrawlTarget row, std::string referer = {});
  void removeFirstRow(CrawlState& of);
  // Queues `link`, taken from the page of row 1, as a new row under row 1's
  // title with the page's URL as its referer, unless the URL filter or the
  // visited-URL buffer keeps it out: right behind row 1 when it is a picture
  // and PicFastDownChk is on, else at the end; what the page said of it is
  // kept for its row. False when it was not queued.
  bool queueLink(CrawlState& of, const TakenLink& link);
};

}  // namespace harvel
