#pragma once

#include <cstddef>
#include <string>

#include "common/crawl_target.h"
#include "crawl/collected_files.h"
#include "crawl/request_record.h"

namespace harvel {

// What a crawl window shows, reported as it changes. A window batches it into
// its views; a terminal prints lines. Every call comes on the crawl's thread.
// A call added here is passed on by CrawlObserverList and OutcomeTally too.
class CrawlObserver {
 public:
  virtual ~CrawlObserver() = default;

  // The crawl list (ListView1): a row was inserted at `index` (0-based) or removed.
  virtual void rowInserted(std::size_t index, const CrawlTarget& row) { (void)index, (void)row; }
  virtual void rowRemoved(std::size_t index) { (void)index; }

  // StatusBar1: panel 1 or 2 now shows `text`.
  virtual void statusTextChanged(int panel, const std::string& text) { (void)panel, (void)text; }

  // A file is asked of the downloader; requestEnded follows for it.
  virtual void requestStarted(const FileRequest& request) { (void)request; }

  // Every request as it ended, landed or not, and every row that failed
  // before or without a request (its outcome not landed; FailureReasonText
  // says why).
  virtual void requestEnded(const RequestRecord& record) { (void)record; }

  // A row was left out because Site only or a rule keeps it out; `why` names
  // which ("refused by --reject *.gif").
  virtual void rowRefused(const std::string& url, const std::string& why) { (void)url, (void)why; }

  // The record of a folder could not be used as it stood: it was moved aside
  // and a new one began (the only-new option).
  virtual void recordRestarted(const RecordStatus& status) { (void)status; }

  // The crawl window's caption now reads `text`.
  virtual void captionChanged(const std::string& text) { (void)text; }

  // The crawl start asks for the window to be shown (not modal).
  virtual void showWindow() {}

  // The crawl window has been loaded (Form_Load ran: empty list, fresh texts).
  virtual void loaded() {}

  // The crawl window has been unloaded (completion, or closed by the user).
  virtual void unloaded() {}
};

}  // namespace harvel
