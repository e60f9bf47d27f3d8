#include "crawl_fixture.h"

#include <filesystem>
#include <fstream>

#include "common/path_text.h"
#include "crawl/crawl_state.h"

namespace harvel::test {

void FakeSiteChannel::Downloading(const FileRequest& request, std::weak_ptr<Mailbox> mailbox) {
  const std::string& url = request.url;
  const std::string& path = request.path;
  requests.push_back(url + "," + path);
  unansweredAtRequest.push_back(unanswered++);
  referers.push_back(request.referer);
  maxSizes.push_back(request.maxSize.value_or(-1));
  minPictures.push_back(request.minPicture);
  if (stages) {
    const std::string key = url + "," + TextFromPath(PathFromText(path).parent_path());
    const auto copy = held.find(key);
    if (copy == held.end()) {
      ++requestsWithout;
    } else {
      ++(copy->second == request.referer + " " + std::to_string(request.maxSize.value_or(-1)) +
                             " " + PictureSizeText(request.minPicture) + " " + request.ifNoneMatch
             ? copiesUsed
             : copiesUnused);
      held.erase(copy);
    }
    removeCopy(key);
  }
  if (onRequest)
    onRequest(url);
  if (!request.ifNoneMatch.empty() || !request.ifModifiedSince.empty())
    conditional.push_back(url);
  if (!failure.empty()) {
    if (auto box = mailbox.lock())
      box->channelError = failure;
    return;
  }
  if (!answers)
    return;
  if (answersInsideTheCall) {
    answer(request, mailbox);
    return;
  }
  pump_.post(std::chrono::milliseconds(5), [this, request, mailbox] { answer(request, mailbox); });
}

void FakeSiteChannel::answer(const FileRequest& request, const std::weak_ptr<Mailbox>& mailbox) {
  const std::string& url = request.url;
  const std::string& path = request.path;
  DownloadOutcome outcome;
  outcome.detailed = true;
  const auto picture = pictureSizes.find(url);
  const auto etag = etags.find(url);
  if (request.validators && etag != etags.end())
    outcome.etag = etag->second;
  if (etag != etags.end() && request.ifNoneMatch == etag->second) {
    outcome.landed = false;
    outcome.notModified = true;
    outcome.httpStatus = 304;
  } else if (auto failed = failures.find(url); failed != failures.end()) {
    outcome.landed = false;
    outcome.reason = failed->second;
    outcome.reasonText = failed->second;
  } else if (picture != pictureSizes.end() && request.minPicture.isSet() &&
             IsSmallerThan(picture->second, request.minPicture)) {
    outcome.landed = false;
    outcome.reason = "too-small";
    outcome.httpStatus = 200;
    outcome.tooSmall = picture->second;
  } else if (auto page = site.find(url); page != site.end()) {
    std::ofstream(PathFromText(path), std::ios::binary) << page->second;
    outcome.bytes = static_cast<std::int64_t>(page->second.size());
    outcome.httpStatus = 200;
    if (auto type = contentTypes.find(url); type != contentTypes.end())
      outcome.contentType = type->second;
  } else {
    outcome.landed = false;
    outcome.reason = "http-status";
    outcome.reasonText = "HTTP 404 Not Found";
    outcome.httpStatus = 404;
  }
  ++notices;
  --unanswered;
  if (auto box = mailbox.lock()) {
    box->outcome = outcome;
    box->text = std::to_string(notices);
  }
}

void FakeSiteChannel::Stage(const StagedFile& order) {
  const FileRequest& file = order.request;
  staged.push_back(file.url + "," + file.path + " " + std::to_string(order.jobs));
  held.emplace(file.url + "," + file.path,
               file.referer + " " + std::to_string(file.maxSize.value_or(-1)) + " " +
                   PictureSizeText(file.minPicture) + " " + file.ifNoneMatch);
  if (tells && order.tellLanded)
    pump_.post(std::chrono::milliseconds(5), [this, order] { land(order); });
}

void FakeSiteChannel::Unstage(const std::string& url, const std::string& folder) {
  unstaged.push_back(url + "," + folder);
  copiesUnused += static_cast<int>(held.erase(url + "," + folder));
  removeCopy(url + "," + folder);
}

void FakeSiteChannel::land(const StagedFile& order) {
  const FileRequest& file = order.request;
  const std::string key = file.url + "," + file.path;
  const auto page = site.find(file.url);
  if (held.count(key) == 0 || page == site.end())
    return;
  const std::string path = file.path + "/.copy-" + std::to_string(++copiesMade_);
  std::ofstream out(PathFromText(path), std::ios::binary);
  if (!(out << page->second))
    return;
  copyFiles[key] = path;
  const auto type = contentTypes.find(file.url);
  landed.push_back(LandedCopy{file.url, file.path, path,
                              type == contentTypes.end() ? std::string() : type->second});
}

void FakeSiteChannel::removeCopy(const std::string& key) {
  const auto copy = copyFiles.find(key);
  if (copy == copyFiles.end())
    return;
  std::filesystem::remove(PathFromText(copy->second));
  copyFiles.erase(copy);
}

void RecordingObserver::rowInserted(std::size_t index, const CrawlTarget& row) {
  events.push_back("insert " + std::to_string(index) + " " + row.url + " " + row.level);
  if (index == 0)
    return;
  queued.push_back(row.url + " " + row.level);
  queuedTitles.push_back(row.title);
  if (onInsert)
    onInsert();
}

void RecordingObserver::rowRemoved(std::size_t index) {
  events.push_back("remove " + std::to_string(index));
}

void RecordingObserver::statusTextChanged(int panel, const std::string& text) {
  events.push_back("status" + std::to_string(panel) + " " + text);
  (panel == 1 ? status1 : status2).push_back(text);
}

void RecordingObserver::captionChanged(const std::string& text) {
  events.push_back("caption " + text);
  if (onCaption)
    onCaption(text);
}

CrawlTest::CrawlTest() {
  window.setObserver(&observer);
  // A crawl that never ends is a failure, not a hang.
  pump.setRunaway(std::chrono::hours(1), [this] {
    ADD_FAILURE() << "the crawl did not end";
    window.unload();
  });
}

CrawlOutcome CrawlTest::crawl(const std::string& url, const std::string& level,
                              const std::string& title) {
  return window.start(CrawlTarget{title, url, level});
}

std::vector<std::string> CrawlTest::requestedUrls() const {
  std::vector<std::string> urls;
  for (const std::string& request : channel.requests) {
    urls.push_back(request.substr(0, request.find(',')));
  }
  return urls;
}

const CrawlState& CrawlTest::state() const {
  return *window.state();
}

}  // namespace harvel::test
