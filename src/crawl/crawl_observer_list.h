#pragma once

#include <vector>

#include "crawl/crawl_observer.h"

namespace harvel {

// Several observers of one crawl, each told every call in the order they were
// added (the desktop: the crawl window and the main window's last-crawl panel).
class CrawlObserverList : public CrawlObserver {
 public:
  void add(CrawlObserver* observer) { observers_.push_back(observer); }

  void rowInserted(std::size_t index, const CrawlTarget& row) override {
    for (CrawlObserver* o : observers_)
      o->rowInserted(index, row);
  }
  void rowRemoved(std::size_t index) override {
    for (CrawlObserver* o : observers_)
      o->rowRemoved(index);
  }
  void statusTextChanged(int panel, const std::string& text) override {
    for (CrawlObserver* o : observers_)
      o->statusTextChanged(panel, text);
  }
  void requestStarted(const FileRequest& request) override {
    for (CrawlObserver* o : observers_)
      o->requestStarted(request);
  }
  void requestEnded(const RequestRecord& record) override {
    for (CrawlObserver* o : observers_)
      o->requestEnded(record);
  }
  void rowRefused(const std::string& url, const std::string& why) override {
    for (CrawlObserver* o : observers_)
      o->rowRefused(url, why);
  }
  void recordRestarted(const RecordStatus& status) override {
    for (CrawlObserver* o : observers_)
      o->recordRestarted(status);
  }
  void captionChanged(const std::string& text) override {
    for (CrawlObserver* o : observers_)
      o->captionChanged(text);
  }
  void showWindow() override {
    for (CrawlObserver* o : observers_)
      o->showWindow();
  }
  void loaded() override {
    for (CrawlObserver* o : observers_)
      o->loaded();
  }
  void unloaded() override {
    for (CrawlObserver* o : observers_)
      o->unloaded();
  }

 private:
  std::vector<CrawlObserver*> observers_;
};

}  // namespace harvel
