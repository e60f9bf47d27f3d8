#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/picture_size.h"

namespace harvel {

// One file the crawl wants: where it comes from, where it goes, the page that
// linked it (sent as the Referer; empty for a typed row), a size limit and,
// for a picture, the smallest size to keep.
struct FileRequest {
  std::string url;
  std::string path;
  std::string referer;
  std::optional<std::int64_t> maxSize;  // bytes; nullopt: no limit
  PictureSize minPicture{};             // 0 × 0: not judged
  // The server's ETag and Last-Modified are wanted in the outcome.
  bool validators = false;
  // A conditional request (either set): a file that did not change since is
  // not fetched again and ends as not modified.
  std::string ifNoneMatch{};
  std::string ifModifiedSince{};
  // A page to be opened in the browser and scrolled down at most this many
  // steps, its rendered document landing at `path`; 0: an ordinary download.
  int renderScrolls = 0;
};

// A file fetched ahead of its row: like a FileRequest, but its name in
// `folder` is given only by the request that asks for it.
struct StagedFile {
  std::string url;
  std::string folder;
  std::string referer;
  std::optional<std::int64_t> maxSize;
  PictureSize minPicture;
  // A page the crawl will read: the channel tells when its copy has landed
  // (takeLandedCopies), where it tellsLanded().
  bool tellLanded = false;
  // As in a FileRequest, where stagesConditional(): a page asked for with its
  // recorded validators is fetched ahead with them, and a copy the server
  // answered 304 answers the request with the same ones as not modified.
  bool validators = false;
  std::string ifNoneMatch{};
  std::string ifModifiedSince{};
};

// A staged copy that has landed, for a StagedFile that asked to be told: the
// hidden file that holds it until a request takes it or it is unstaged, and
// the Content-Type the server gave.
struct LandedCopy {
  std::string url;
  std::string folder;
  std::string path;
  std::string contentType;
};

// How a requested file ended.
struct DownloadOutcome {
  bool landed = true;
  std::string reason;      // a short code ("http-status", "timeout", ...); empty when landed
  std::string reasonText;  // the same for people
  int httpStatus = 0;      // 0 when none is known
  std::int64_t bytes = 0;
  std::int64_t elapsedMs = 0;
  std::string contentType;
  std::string finalUrl;
  std::string etag;          // the server's validators, when asked for and given
  std::string lastModified;  //
  // Ends beside landing that are no failure: the server said the file did not
  // change since the validators of a conditional request (nothing was
  // written), or the record says the file was collected before (nothing was
  // asked for, or the file that landed repeated one and was removed).
  bool notModified = false;
  bool alreadyCollected = false;
  // False when the downloader told nothing but that the download ended (an
  // older downloader): the file is then taken as landed, as it always was.
  bool detailed = false;
  // Set (landed false) for a picture left out as smaller than the request's
  // minimum: its size. Neither a download nor a failure.
  std::optional<PictureSize> tooSmall;
  // A rendered page: the file is what the browser showed, and these are the
  // pictures the page loaded (which took the browser `pictureBytes`).
  bool rendered = false;
  std::vector<std::string> pictures;
  std::int64_t pictureBytes = 0;

  bool failed() const { return !landed && !notModified && !alreadyCollected && !tooSmall; }
};

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
    Downloading(FileRequest{url, path, {}, {}, {}}, std::move(mailbox));
  }

  // False for a request the channel cannot carry at all (too long for its
  // messages): the crawl then fails that row without sending it.
  virtual bool CanCarry(const FileRequest& request) const {
    (void)request;
    return true;
  }

  // Whether the downloader renders pages in a browser (FileRequest::renderScrolls).
  virtual bool renders() const { return false; }

  // Fetching ahead. A channel that can stage has the downloader fetch `file`
  // into a hidden file in its folder, up to `jobs` of them at once, before the
  // crawl reaches its row; a later Downloading() of the same URL, Referer,
  // size limit and smallest picture into that folder is then answered from the staged copy, moved
  // into place under the name given then. A staged copy that is never asked
  // for is removed by Unstage() or when the connection ends. Staging never
  // changes what a crawl collects, only how soon its files are there.
  virtual bool canStage() const { return false; }
  virtual void Stage(const StagedFile& /*file*/, int /*jobs*/) {}
  virtual void Unstage(const std::string& /*url*/, const std::string& /*folder*/) {}
  // Whether the channel tells of staged copies that have landed; if so, the
  // copies that landed since the last call, for files staged with tellLanded.
  // A copy told of stays where it is until it is asked for or unstaged.
  virtual bool tellsLanded() const { return false; }
  // Whether a StagedFile may carry validators and a conditional request's
  // fields; a channel that cannot stage them is never given such a file.
  virtual bool stagesConditional() const { return false; }
  virtual std::vector<LandedCopy> takeLandedCopies() { return {}; }
};

}  // namespace harvel
