#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "crawl/crawl_session.h"
#include "crawl/static_crawl_options.h"
#include "fake_event_pump.h"
#include "temp_folder.h"

namespace harvel::test {

// A downloader over an in-memory site: each request writes the page (if the
// site has it) to the requested path after a short virtual delay and then posts
// the notice, a running count, through the event pump. A URL the site lacks
// ends as a failed download (HTTP 404). A URL given a picture size ends as
// too small when a request's minimum asks for more.
class FakeSiteChannel : public DownloadChannel {
 public:
  explicit FakeSiteChannel(FakeEventPump& pump) : pump_(pump) {}

  using DownloadChannel::Downloading;
  void Downloading(const FileRequest& request, std::weak_ptr<Mailbox> mailbox) override;
  bool CanCarry(const FileRequest& request) const override {
    return request.url.size() + request.path.size() <= maxRequestLength;
  }
  bool canStage() const override { return stages; }
  void Stage(const StagedFile& file) override;
  void Unstage(const std::string& url, const std::string& folder) override;
  bool tellsLanded() const override { return tells; }
  bool stagesConditional() const override { return conditionalStages; }
  std::vector<LandedCopy> takeLandedCopies() override { return std::exchange(landed, {}); }
  bool sendsAhead() const override { return ahead; }

  std::map<std::string, std::string> site;          // URL -> body
  std::vector<std::string> requests;                // "url,path" in the order sent
  std::vector<std::string> referers;                // the referer of each request
  std::vector<std::int64_t> maxSizes;               // each request's max size, or -1
  std::map<std::string, std::string> failures;      // URL -> reason: fails with it
  std::map<std::string, std::string> contentTypes;  // URL -> the Content-Type reported
  std::map<std::string, PictureSize> pictureSizes;  // URL -> its picture's size
  std::vector<PictureSize> minPictures;             // each request's minimum picture
  // URL -> its ETag: reported when a request asks for validators, and a
  // request whose If-None-Match holds it ends as not modified.
  std::map<std::string, std::string> etags;
  std::vector<std::string> conditional;    // the URLs requested with validators of their own
  std::size_t maxRequestLength = 1 << 20;  // what CanCarry lets through
  std::function<void(const std::string& url)> onRequest;  // runs inside each request
  bool answers = true;                                    // false: no notice ever comes
  bool answersInsideTheCall = false;  // true: the notice is written before Downloading returns
  std::string failure;                // when set, the channel reports this error instead
  int notices = 0;
  bool stages = false;                // answers canStage()
  std::vector<std::string> staged;    // "url,folder jobs" of every Stage()
  std::vector<std::string> unstaged;  // "url,folder" of every Unstage()
  bool conditionalStages = false;     // answers stagesConditional()
  // Staged copies as the downloader keeps them: "url,folder" -> "referer
  // max-size min-picture if-none-match" of each copy not yet asked for or
  // dropped, and how the others ended.
  std::map<std::string, std::string> held;
  int copiesUsed = 0;       // asked for with the Referer and limits they were staged with
  int copiesUnused = 0;     // unstaged, or asked for otherwise
  int requestsWithout = 0;  // requests (while staging) that found no copy
  // Copies staged to be told of land as hidden files in their folder, with
  // the site's page as it is then, 5 ms after they are staged.
  bool tells = false;
  std::vector<LandedCopy> landed;                // not yet taken
  std::map<std::string, std::string> copyFiles;  // "url,folder" -> the hidden file
  bool ahead = false;                            // answers sendsAhead()
  std::vector<int> unansweredAtRequest;          // requests without a notice yet, at each request
  int unanswered = 0;

 private:
  void answer(const FileRequest& request, const std::weak_ptr<Mailbox>& mailbox);
  void land(const StagedFile& file);
  void removeCopy(const std::string& key);

  FakeEventPump& pump_;
  int copiesMade_ = 0;
};

class RecordingShell : public Shell {
 public:
  void openFolder(const std::string& folder) override { opened.push_back(folder); }
  std::vector<std::string> opened;
};

// Keeps everything the crawl window reports, one line per call.
class RecordingObserver : public CrawlObserver {
 public:
  void rowInserted(std::size_t index, const CrawlTarget& row) override;
  void rowRemoved(std::size_t index) override;
  void statusTextChanged(int panel, const std::string& text) override;
  void captionChanged(const std::string& text) override;
  void showWindow() override { events.push_back("show"); }
  void loaded() override { events.push_back("loaded"); }
  void unloaded() override { events.push_back("unloaded"); }
  void requestEnded(const RequestRecord& record) override {
    records.push_back(record);
    if (!record.outcome.landed && !record.outcome.tooSmall)
      failures.push_back(record.url + " " + record.path + " " + FailureReasonText(record.outcome));
  }

  std::vector<std::string> events;
  std::vector<std::string> queued;  // "url level" of every row inserted after the first
  std::vector<std::string> queuedTitles;
  std::function<void()> onInsert;  // runs after each of those rows
  std::function<void(const std::string&)> onCaption;
  std::vector<std::string> status1, status2;
  std::vector<std::string> failures;  // "url path reason"
  std::vector<RequestRecord> records;
};

// A crawl window over a temporary Harvel folder, a virtual-clock pump and an
// in-memory site.
class CrawlTest : public ::testing::Test {
 protected:
  CrawlTest();

  CrawlOutcome crawl(const std::string& url, const std::string& level = "3",
                     const std::string& title = "site");
  std::vector<std::string> requestedUrls() const;  // URLs in the order requested
  std::string file(const std::string& relative) const { return folder.read(relative); }
  bool exists(const std::string& relative) const { return folder.exists(relative); }
  const CrawlState& state() const;

  test::TempFolder folder;
  StaticCrawlOptions options;
  FakeEventPump pump;
  FakeSiteChannel channel{pump};
  RecordingShell shell;
  RecordingObserver observer;
  CrawlSession window{options, pump, channel, shell, folder.text()};
};

}  // namespace harvel::test
