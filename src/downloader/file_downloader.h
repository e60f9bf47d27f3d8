#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/picture_size.h"
#include "downloader/connection_setup.h"
#include "downloader/partial_range.h"
#include "downloader/partial_store.h"
#include "downloader/protocol/notice.h"
#include "downloader/protocol/request_text.h"
#include "downloader/protocol/staging_messages.h"
#include "downloader/temporary_file.h"
#include "downloader/temporary_file_record.h"
#include "picture_header/picture_header_reader.h"

typedef void CURL;
struct curl_slist;

namespace harvel {

// Downloads one URL at a time into a local file with libcurl. The same handle
// serves every request, so connections to a server are kept open and reused.
// The transfer itself is run by the caller (CurlEventLoop): begin() prepares
// it, finish() or abandon() ends it.
//
// The file is written as a TemporaryFile in the target folder and renamed
// into place only when the download succeeded: a failed download leaves no file
// behind and an existing file at the path untouched.
//
// A conditional request sends its validators (If-None-Match,
// If-Modified-Since) beside the client's headers; the server's 304 then ends
// it as not modified, with no file written. Every notice carries the server's
// ETag and Last-Modified.
//
// The page that linked the file goes out as the Referer; the client's
// connection settings (its cookie jar, User-Agent, headers, proxy, CA file)
// are those given with the request, the downloader's own without. A file larger than
// the request's max size is refused, by its Content-Length before any byte and
// by what arrives otherwise. A transfer that stays under the least speed for
// the whole of its window is given up.
//
// With the request's min-picture, the body's first bytes are read as a
// picture's header while they arrive: as soon as they show a picture smaller
// than that, the transfer ends and its file is removed (too small). Until the
// header has been read, bytes are taken 1 KiB at a time, so that a small
// picture costs little more than its header.
//
// With the request's resume folder (PartialStore), an HTTP download cut off
// part-way with at least the resume threshold received, whose answer named
// an ETag or Last-Modified and no content coding, is kept there rather than
// removed; the next request for its URL asks for the rest (Range, If-Range)
// and appends it. A 206 that does not fit what is held (see RangeContinues),
// a changed validator, a 416 that does not name the length held, or a 206 to
// a request for the whole file makes the download start again from its first
// byte, once (restartFromZero()); a 200 replaces the part held.
class FileDownloader {
 public:
  // The least speed a transfer must keep: under `bytesPerSecond` for `window`
  // gives it up.
  struct SpeedLimit {
    long bytesPerSecond = 1024;
    std::chrono::seconds window{30};
  };

  FileDownloader();
  ~FileDownloader();  // abandon()
  FileDownloader(const FileDownloader&) = delete;
  FileDownloader& operator=(const FileDownloader&) = delete;

  // Where the temporary file being written is named; none by default.
  void setRecord(TemporaryFileRecord* record) {
    record_ = record;
    file_.setRecord(record);
  }

  // The least a download cut off must have received to be kept for resuming.
  static constexpr std::int64_t kResumeThreshold = std::int64_t{1} << 20;
  void setResumeThreshold(std::int64_t bytes) { resumeThreshold_ = bytes; }

  void setSpeedLimit(SpeedLimit limit);

  // Prepares the download of `request`: the handle's URL and where the file
  // goes. False for a path that is not absolute or names no file, a URL or path
  // holding a zero byte (the C calls would see a shorter text), or a URL that
  // is not http, https or ftp; failure() then tells which. `connection`: the
  // settings of the client that asked; null for the downloader's own.
  bool begin(const FileRequest& request,
             std::shared_ptr<const ConnectionSetup> connection = nullptr);

  // Fetching ahead: prepares the download of `order` into its folder, under a
  // name not known while the transfer runs; conditional as a request is. It ends with keep() and
  // then commit() or abandon(), never with finish().
  bool begin(const StagedFile& order, std::shared_ptr<const ConnectionSetup> connection = nullptr);

  // The handle whose transfer fetches the begun download.
  CURL* handle() const { return easy_; }

  // Makes the temporary file of the begun download, if not made yet: best
  // called once the request is on its way, so that it is done while the
  // server answers. False when the folder cannot be written to.
  bool createFile();

  // The transfer ended with `result` (a CURLcode): the file is moved into place
  // when it succeeded. How it ended (the count left empty).
  DownloadNotice finish(int result);

  // The transfer of a staged download ended with `result`, like finish(), but
  // a landed file is kept hidden, still locked, until commit() moves it to its
  // name or abandon() removes it.
  DownloadNotice keep(int result);
  // `kept` is what keep() said; the same, or a failure when the file cannot
  // be moved to `path`.
  DownloadNotice commit(DownloadNotice kept, const std::string& path);
  // A file that keep() holds, given up closed and still hidden: its path (see
  // TemporaryFile::release); "" when none is kept.
  std::string releaseKept();

  // Why the last begin() or createFile() failed, as a failed notice.
  const DownloadNotice& failure() const { return failure_; }

  // The transfer ended with an answer that does not fit the part of the file
  // asked for: prepares the same download from its first byte, once, and
  // true; false when it is to be finished as it is.
  bool restartFromZero();

  // The pause the server asked for before the next try (Retry-After), if any.
  std::optional<std::chrono::seconds> retryAfter() const;

  // Gives up the begun download, if any: its temporary file is removed.
  void abandon();

 private:
  static size_t writeBody(char* data, size_t size, size_t count, void* self);
  // libcurl is about to send a request of the transfer (the first or one a
  // redirect leads to).
  static int beforeRequest(void* self, char*, char*, int, int);
  // What both begin()s share once the request is known to be sound.
  bool prepare(const std::string& url, const std::string& referer,
               std::optional<std::int64_t> maxSize, PictureSize minPicture, std::string folder,
               std::shared_ptr<const ConnectionSetup> connection);
  // Reads the picture's header from the next bytes of the body: true when they
  // show a picture smaller than the minimum.
  bool judge(const char* data, std::size_t size);
  bool refuse(const char* reason, const std::string& detail);
  DownloadNotice outcome(int result);
  // finish() or keep() without a begun download: a failure.
  DownloadNotice notBegun();
  // The begun transfer ended with `result`: how, with the file made if it landed.
  DownloadNotice endTransfer(int result);
  // `notice` says how the transfer ended: a landed file is given the name
  // `path`, any other removed.
  DownloadNotice place(DownloadNotice notice, const std::string& path);
  void setConditional(const std::string& ifNoneMatch, const std::string& ifModifiedSince);
  // The client's headers with `lines` added go out with the begun request.
  void useExtraHeaders(const std::vector<std::string>& lines);
  // A request with a resume folder: asks for the rest of the part kept for
  // its URL, if there is one.
  void startResume(const std::string& folder);
  // The first bytes of the answer are here: false when it does not fit the
  // request (restartWanted_ is set); a part being continued is opened.
  bool judgeAnswer();
  // A 416 for the rest of a part that names the length held: it is the file.
  bool unsatisfiedRangeFinishes() const;
  // Whether the answer's validators, where it names any, are those `part`
  // was fetched with.
  bool sameValidators(const PartialDownload& part) const;
  // The download did not land: what it wrote is kept to be continued when
  // it may be (keepable()), else removed.
  void leaveUnlanded();
  bool keepable() const;

  CURL* easy_;
  // The settings the handle was last given: they must live while it uses them.
  std::shared_ptr<const ConnectionSetup> connection_;
  bool attached_ = false;  // ConnectionSetup::Attach() has given the handle connection_
  bool begun_ = false;
  TemporaryFile file_;  // the file of the begun download, once made
  std::string folder_;
  std::string targetPath_;  // empty for a staged download
  bool kept_ = false;       // keep() holds the file for commit()
  std::optional<std::int64_t> maxSize_;
  std::int64_t received_ = 0;
  bool tooLarge_ = false;  // more arrived than the max size
  PictureSize minPicture_;
  std::unique_ptr<PictureHeaderReader> header_;  // while a picture is judged
  std::optional<PictureSize> tooSmall_;          // the picture's size, when under the minimum
  bool httpError_ = false;  // the server answered 400 or more: its page is not kept
  int writeErrno_ = 0;      // why the file could not be made or written
  // The client's headers and the begun request's validators, when it has any.
  curl_slist* conditionalHeaders_ = nullptr;
  curl_slist* conditionalLoginHeaders_ = nullptr;  // to the start URL's host
  DownloadNotice failure_;
  char errorText_[256] = {};  // libcurl's own words on the last failure
  TemporaryFileRecord* record_ = nullptr;
  std::int64_t resumeThreshold_ = kResumeThreshold;
  std::string url_;                         // the begun request's
  std::optional<PartialStore> store_;       // its resume folder, when it has one
  std::optional<PartialDownload> partial_;  // the part kept for its URL, if any
  bool rangeAsked_ = false;                 // the transfer asks for the rest of partial_
  bool partialStale_ = false;               // an answer showed partial_ is not worth its rest
  bool answerJudged_ = false;               // judgeAnswer() has been asked
  bool restartWanted_ = false;              // the answer does not fit: start again from zero
  bool restarted_ = false;                  // it did once
  std::optional<ContentRange> range_;       // the 206 being written
  std::int64_t offset_ = 0;                 // where in the file the bytes written begin
};

}  // namespace harvel
