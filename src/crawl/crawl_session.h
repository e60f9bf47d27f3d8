#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/crawl_target.h"
#include "common/event_pump.h"
#include "crawl/collected_files.h"
#include "crawl/crawl_observer.h"
#include "crawl/crawl_options.h"
#include "crawl/crawl_outcome.h"
#include "crawl/crawl_texts.h"
#include "crawl/download_channel.h"
#include "crawl/shell.h"

namespace harvel {

struct CrawlState;

// The crawl window SearchFrm without its widgets: the crawl list, the per-crawl
// state, the mailbox, the caption and status texts, and the crawl driver.
// Each front keeps one for its whole run (harvel-cli's crawls one after
// another through the same one); it is loaded for a crawl and unloaded at its end.
class CrawlSession {
 public:
  // `harvelFolder` is Harvel's folder (UTF-8): every target folder is made inside it.
  CrawlSession(const CrawlOptions& options, EventPump& pump, DownloadChannel& channel, Shell& shell,
               std::string harvelFolder);
  ~CrawlSession();
  CrawlSession(const CrawlSession&) = delete;
  CrawlSession& operator=(const CrawlSession&) = delete;

  void setObserver(CrawlObserver* observer);  // nullptr: nobody watches
  // The folders' records asked while the only-new option is on; without them
  // a crawl with the option on does not start.
  void setCollectedFiles(CollectedFiles* collected);

  // The pause between the completion caption and the unload, 2000 ms unless set.
  // A front without a window sets 0: the pending events are then handled once
  // and the window unloads at once.
  void setCompletionPauseMs(std::int32_t ms);

  // The main window's crawl start for one target: refuses a title that would
  // lead outside Harvel's folder and, with the only-new option on, a target
  // whose record cannot be used; appends the row (loading the window when it is
  // not loaded), deletes the target's old "メールアドレス.txt", asks the front to
  // show the window and runs SearchStart.
  CrawlOutcome start(const CrawlTarget& target);

  bool isLoaded() const;
  void load();                             // Form_Load; does nothing when loaded
  void appendRow(const CrawlTarget& row);  // appends to the crawl list, loading first
  void unload();                           // Form_Unload: ends a running crawl at its next yield
  // Pausing stops the crawl before its next request; requests under way finish.
  // Each crawl starts unpaused; without a loaded window it does nothing.
  void setPaused(bool paused);
  bool isPaused() const;
  CrawlOutcome SearchStart();  // the crawl driver

  // What the window shows.
  std::string caption() const;
  std::string statusText(int panel) const;  // panel 1 or 2
  std::string errorText() const;            // why the last crawl failed, if it did

  // The state of the loaded window (nullptr when not loaded), and the user's
  // suffix list UserExt, which outlives loads (nullopt before the first load with
  // UserSetChk on).
  const CrawlState* state() const;
  const std::optional<std::vector<std::string>>& userExt() const;

  // The text shown in a window caption for each stage (crawl_texts.h).
  static constexpr const char* kCaptionCrawling = harvel::kCaptionCrawling;
  static constexpr const char* kCaptionCompleted = harvel::kCaptionCompleted;
  static constexpr const char* kCaptionClosing = harvel::kCaptionClosing;
  static constexpr const char* kMailFileName = harvel::kMailFileName;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace harvel
