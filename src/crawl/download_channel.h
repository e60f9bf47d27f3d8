#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/download_outcome.h"
#include "common/file_request.h"

namespace harvel {

// GetTxt, the crawl's mailbox: the downloader's notice is written into `text`.
// It lives exactly as long as the loaded crawl window; a notice for a window
// that has been unloaded finds no mailbox and is dropped.
struct Mailbox {
  std::string text;
  // How the request that changed `text` ended; written before `text`, so it is
  // in place once the crawl sees the text change.
  DownloadOutcome outcome;
  // Set by the channel when the downloader cannot be reached even after a
  // restart; the crawl then ends with this message instead of waiting forever.
  std::string channelError;
};

// The crawl's side of the download request channel.
class DownloadChannel {
 public:
  virtual ~DownloadChannel() = default;

  // Downloading: sends the request and returns. Exactly one notice follows,
  // written into `mailbox` (if it still exists) once the download has ended,
  // successfully or not; or `channelError` is set.
  virtual void Downloading(const FileRequest& request, std::weak_ptr<Mailbox> mailbox) = 0;

  void Downloading(const std::string& url, const std::string& path,
                   std::weak_ptr<Mailbox> mailbox) {
    Downloading(FileRequest{url, path}, std::move(mailbox));
  }

  // False for a request the channel cannot carry at all (too long for its
  // messages): the crawl then fails that row without sending it.
  virtual bool CanCarry(const FileRequest& request) const {
    (void)request;
    return true;
  }

  // Whether the downloader renders pages in a browser (FileRequest::renderScrolls).
  virtual bool renders() const { return false; }
  // Whether the downloader obeys robots.txt for requests that ask it (FileRequest::robots).
  virtual bool obeysRobots() const { return false; }

  // Fetching ahead. A channel that can stage has the downloader fetch `file`
  // into a hidden file in its folder, up to `jobs` of them at once, before the
  // crawl reaches its row; a later Downloading() of the same URL, Referer,
  // size limit and smallest picture into that folder is then answered from the staged copy, moved
  // into place under the name given then. A staged copy that is never asked
  // for is removed by Unstage() or when the connection ends. Staging never
  // changes what a crawl collects, only how soon its files are there.
  virtual bool canStage() const { return false; }
  virtual void Stage(const StagedFile& /*file*/) {}
  virtual void Unstage(const std::string& /*url*/, const std::string& /*folder*/) {}
  // Every staged copy not asked for is removed at once (the crawl ends or
  // stops); `copies` names them (URL, folder) for a channel that can only
  // unstage them one by one.
  virtual void UnstageAll(const std::vector<std::pair<std::string, std::string>>& copies) {
    for (const auto& [url, folder] : copies)
      Unstage(url, folder);
  }
  // Whether the channel tells of staged copies that have landed; if so, the
  // copies that landed since the last call, for files staged with tellLanded.
  // A copy told of stays where it is until it is asked for or unstaged.
  virtual bool tellsLanded() const { return false; }
  // Whether a StagedFile may carry validators and a conditional request's
  // fields; a channel that cannot stage them is never given such a file.
  virtual bool stagesConditional() const { return false; }
  virtual std::vector<LandedCopy> takeLandedCopies() { return {}; }

  // Whether requests may be sent before the notices of those sent earlier:
  // each still gets its notice, in the order sent, in its own mailbox. A
  // channel that says no is given one request at a time.
  virtual bool sendsAhead() const { return false; }
};

}  // namespace harvel
