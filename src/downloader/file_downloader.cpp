#include "downloader/file_downloader.h"

#include <curl/curl.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "common/ascii_text.h"
#include "common/path_text.h"
#include "common/url_parts.h"
#include "downloader/failure_reason.h"

namespace harvel {
namespace {

// A dead server is given up after this long.
constexpr long kConnectTimeoutSeconds = 30;
constexpr long kMaxRedirects = 10;
// Reads while a picture's header is judged: libcurl's least.
constexpr long kJudgedReadSize = 1024;

long ResponseCode(CURL* easy) {
  long status = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  return status;
}

bool IsHttp(CURL* easy) {
  const char* scheme = nullptr;
  curl_easy_getinfo(easy, CURLINFO_SCHEME, &scheme);
  return scheme != nullptr &&
         (EqualsIgnoringAsciiCase(scheme, "http") || EqualsIgnoringAsciiCase(scheme, "https"));
}

bool HttpErrorStatus(CURL* easy) {
  return IsHttp(easy) && ResponseCode(easy) >= 400;
}

bool HoldsZeroByte(const std::string& text) {
  return text.find('\0') != std::string::npos;
}

// A validator goes back to the server as a header line of its own: one that
// could end the line or start another (it came from a record on disk) is not
// sent, nor one longer than any server gives.
bool SendableValidator(const std::string& value) {
  constexpr std::size_t kLongest = 1024;
  return !value.empty() && value.size() <= kLongest &&
         value.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

// The value of the response header `name` of the last response (after
// redirects), as the server gave it; "" when there is none.
std::string ResponseHeader(CURL* easy, const char* name) {
  curl_header* header = nullptr;
  if (curl_easy_header(easy, name, 0, CURLH_HEADER, -1, &header) != CURLHE_OK ||
      header == nullptr || header->value == nullptr)
    return {};
  std::string value = header->value;
  return SendableValidator(value) ? value : std::string();
}

}  // namespace

FileDownloader::FileDownloader() : easy_(curl_easy_init()) {
  curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https,ftp");
  curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  setSpeedLimit(SpeedLimit{});
  curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, errorText_);
  curl_easy_setopt(easy_, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &FileDownloader::writeBody);
  curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(easy_, CURLOPT_PREREQFUNCTION, &FileDownloader::beforeRequest);
  curl_easy_setopt(easy_, CURLOPT_PREREQDATA, this);
}

int FileDownloader::beforeRequest(void* self, char*, char*, int, int) {
  auto& downloader = *static_cast<FileDownloader*>(self);
  const char* url = nullptr;
  curl_easy_getinfo(downloader.easy_, CURLINFO_EFFECTIVE_URL, &url);
  const ConnectionSetup* setup = downloader.connection_.get();
  const curl_slist* headers = ConnectionSetup::BeforeRequest(setup, downloader.easy_, url);
  if (downloader.conditionalHeaders_ != nullptr) {
    const bool login = setup != nullptr && headers != setup->headers();
    headers = login ? downloader.conditionalLoginHeaders_ : downloader.conditionalHeaders_;
  }
  curl_easy_setopt(downloader.easy_, CURLOPT_HTTPHEADER, headers);
  return CURL_PREREQFUNC_OK;
}

FileDownloader::~FileDownloader() {
  abandon();
  curl_easy_cleanup(easy_);
  curl_slist_free_all(conditionalHeaders_);
  curl_slist_free_all(conditionalLoginHeaders_);
}

void FileDownloader::setSpeedLimit(SpeedLimit limit) {
  curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_LIMIT, limit.bytesPerSecond);
  curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limit.window.count()));
}

bool FileDownloader::refuse(const char* reason, const std::string& detail) {
  failure_ = FailedNotice(reason, ReasonText(reason, detail));
  return false;
}

bool FileDownloader::begin(const FileRequest& request,
                           std::shared_ptr<const ConnectionSetup> connection) {
  abandon();
  if (HoldsZeroByte(request.url) || HoldsZeroByte(request.path))
    return refuse(failure::kBadRequest, "a zero byte in the URL or path");
  const std::filesystem::path target = PathFromText(request.path);
  if (!target.is_absolute() || !target.has_filename())
    return refuse(failure::kBadRequest, "not an absolute file path: " + request.path);
  targetPath_ = TextFromPath(target);
  if (!prepare(request.url, request.referer, request.maxSize, request.minPicture,
               TextFromPath(target.parent_path()), std::move(connection)))
    return false;
  setConditional(request.ifNoneMatch, request.ifModifiedSince);
  // A conditional request is a page's, asked again whole each time.
  if (!request.resumeFolder.empty() && !request.conditional())
    startResume(request.resumeFolder);
  return true;
}

void FileDownloader::startResume(const std::string& folder) {
  store_ = PartialStore::Open(folder);
  if (store_)
    partial_ = store_->find(url_);
  if (!partial_)
    return;
  // If-Range takes a strong ETag only.
  const std::string& etag = partial_->etag;
  const std::string ifRange = SendableValidator(etag) && !etag.starts_with("W/") ? etag
                              : SendableValidator(partial_->lastModified) ? partial_->lastModified
                                                                          : std::string();
  if (ifRange.empty()) {
    partial_.reset();
    return;
  }
  rangeAsked_ = true;
  curl_easy_setopt(easy_, CURLOPT_RANGE, (std::to_string(partial_->size) + "-").c_str());
  // The bytes held are the file as the server keeps it, with no coding undone.
  curl_easy_setopt(easy_, CURLOPT_ACCEPT_ENCODING, nullptr);
  useExtraHeaders({"If-Range: " + ifRange});
  header_.reset();  // the picture's first bytes were judged when they came
}

void FileDownloader::setConditional(const std::string& ifNoneMatch,
                                    const std::string& ifModifiedSince) {
  std::vector<std::string> lines;
  if (SendableValidator(ifNoneMatch))
    lines.push_back("If-None-Match: " + ifNoneMatch);
  if (SendableValidator(ifModifiedSince))
    lines.push_back("If-Modified-Since: " + ifModifiedSince);
  useExtraHeaders(lines);
}

void FileDownloader::useExtraHeaders(const std::vector<std::string>& lines) {
  curl_slist_free_all(conditionalHeaders_);
  conditionalHeaders_ = nullptr;
  curl_slist_free_all(conditionalLoginHeaders_);
  conditionalLoginHeaders_ = nullptr;
  if (lines.empty()) {
    curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, connection_ ? connection_->headers() : nullptr);
    return;
  }
  const auto withValidators = [&lines](const curl_slist* headers) {
    curl_slist* list = nullptr;
    for (const curl_slist* header = headers; header != nullptr; header = header->next)
      list = curl_slist_append(list, header->data);
    for (const std::string& line : lines)
      list = curl_slist_append(list, line.c_str());
    return list;
  };
  conditionalHeaders_ = withValidators(connection_ ? connection_->headers() : nullptr);
  conditionalLoginHeaders_ = withValidators(connection_ ? connection_->loginHeaders() : nullptr);
  curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, conditionalHeaders_);
}

bool FileDownloader::begin(const StagedFile& staged,
                           std::shared_ptr<const ConnectionSetup> connection) {
  const FileRequest& order = staged.request;
  const std::string& folder = staged.folder();
  abandon();
  if (HoldsZeroByte(order.url) || HoldsZeroByte(folder))
    return refuse(failure::kBadRequest, "a zero byte in the URL or folder");
  if (!PathFromText(folder).is_absolute())
    return refuse(failure::kBadRequest, "not an absolute folder: " + folder);
  targetPath_.clear();
  if (!prepare(order.url, order.referer, order.maxSize, order.minPicture, folder,
               std::move(connection)))
    return false;
  setConditional(order.ifNoneMatch, order.ifModifiedSince);
  return true;
}

bool FileDownloader::prepare(const std::string& url, const std::string& referer,
                             std::optional<std::int64_t> maxSize, PictureSize minPicture,
                             std::string folder,
                             std::shared_ptr<const ConnectionSetup> connection) {
  if (!IsDownloadableUrl(url))
    return refuse(failure::kScheme, "only http, https and ftp are downloaded");
  folder_ = std::move(folder);
  maxSize_ = maxSize;
  received_ = 0;
  tooLarge_ = false;
  minPicture_ = minPicture;
  header_ = minPicture.isSet() ? std::make_unique<PictureHeaderReader>() : nullptr;
  tooSmall_.reset();
  httpError_ = false;
  writeErrno_ = 0;
  errorText_[0] = '\0';
  url_ = url;
  store_.reset();
  partial_.reset();
  rangeAsked_ = false;
  partialStale_ = false;
  answerJudged_ = false;
  restartWanted_ = false;
  restarted_ = false;
  range_.reset();
  offset_ = 0;
  curl_easy_setopt(easy_, CURLOPT_RANGE, nullptr);
  curl_easy_setopt(easy_, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(easy_, CURLOPT_URL, WithoutEmptyLogin(url).c_str());
  // The handle lets go of the settings it had before they may go.
  if (!attached_ || connection.get() != connection_.get())
    ConnectionSetup::Attach(connection.get(), easy_);
  attached_ = true;
  ConnectionSetup::Apply(connection.get(), easy_, url);
  connection_ = std::move(connection);
  // Apply() gave the handle the client's headers: the last request's list goes.
  curl_slist_free_all(conditionalHeaders_);
  conditionalHeaders_ = nullptr;
  curl_slist_free_all(conditionalLoginHeaders_);
  conditionalLoginHeaders_ = nullptr;
  curl_easy_setopt(easy_, CURLOPT_REFERER, referer.empty() ? nullptr : referer.c_str());
  curl_easy_setopt(easy_, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxSize.value_or(0)));
  // A picture that is judged comes in small reads, so that a small one is
  // stopped soon after its header.
  curl_easy_setopt(easy_, CURLOPT_BUFFERSIZE,
                   header_ ? kJudgedReadSize : long{CURL_MAX_WRITE_SIZE});
  begun_ = true;
  return true;
}

bool FileDownloader::createFile() {
  if (file_.isOpen())
    return true;
  if (!begun_)
    return false;
  if (rangeAsked_ && !answerJudged_)
    return true;  // the answer tells whether the part held is continued
  writeErrno_ = file_.create(folder_);
  if (writeErrno_ != 0) {  // no such folder, or not writable
    failure_ = FailedNotice(FileFailureReason(writeErrno_), FileReasonText(writeErrno_, folder_));
    return false;
  }
  return true;
}

size_t FileDownloader::writeBody(char* data, size_t size, size_t count, void* self) {
  // Straight to the file: libcurl hands over up to 16 KiB at a time, so a
  // buffer of our own would only add a copy.
  // Returning less than was handed over makes libcurl end the transfer as failed.
  auto& downloader = *static_cast<FileDownloader*>(self);
  const size_t total = size * count;
  if (HttpErrorStatus(downloader.easy_)) {
    downloader.httpError_ = true;  // an error page is not a file
    return 0;
  }
  if (!downloader.answerJudged_ && !downloader.judgeAnswer())
    return 0;
  downloader.received_ += static_cast<std::int64_t>(total);
  const std::int64_t end = downloader.offset_ + downloader.received_;
  if (downloader.range_ && end > downloader.range_->length) {
    downloader.restartWanted_ = true;  // more than the file's length it named
    return 0;
  }
  if (downloader.judge(data, total))
    return 0;
  if (downloader.maxSize_ && end > *downloader.maxSize_) {
    downloader.tooLarge_ = true;
    return 0;
  }
  if (!downloader.createFile())
    return 0;
  downloader.writeErrno_ = downloader.file_.write(data, total);
  return downloader.writeErrno_ == 0 ? total : 0;
}

bool FileDownloader::judge(const char* data, std::size_t size) {
  if (!header_ || header_->answer() != PictureHeaderReader::Answer::NeedMore)
    return false;
  if (header_->Feed(std::string_view(data, size)) != PictureHeaderReader::Answer::Size ||
      !IsSmallerThan(header_->size(), minPicture_))
    return false;
  tooSmall_ = header_->size();
  return true;
}

bool FileDownloader::judgeAnswer() {
  answerJudged_ = true;
  if (!IsHttp(easy_))
    return true;
  const long status = ResponseCode(easy_);
  if (status == 206) {
    const std::optional<ContentRange> range =
        ParseContentRange(ResponseHeader(easy_, "Content-Range"));
    const bool fits =
        range && (rangeAsked_ ? RangeContinues(*range, {partial_->size, partial_->length}) &&
                                    sameValidators(*partial_) &&
                                    ResponseHeader(easy_, "Content-Encoding").empty()
                              : RangeIsWhole(*range));
    if (!fits) {
      restartWanted_ = true;
      return false;
    }
    range_ = range;
  }
  if (!rangeAsked_)
    return true;
  if (status != 206) {  // the whole file anew: the part held is replaced
    partialStale_ = true;
    rangeAsked_ = false;
    return createFile();
  }
  if (file_.adopt(partial_->dataPath, range_->first) != 0) {
    restartWanted_ = true;  // another transfer holds it, or it has gone
    return false;
  }
  offset_ = range_->first;
  return true;
}

bool FileDownloader::sameValidators(const PartialDownload& part) const {
  const std::string etag = ResponseHeader(easy_, "ETag");
  const std::string lastModified = ResponseHeader(easy_, "Last-Modified");
  return (etag.empty() || etag == part.etag) &&
         (lastModified.empty() || !part.etag.empty() || lastModified == part.lastModified);
}

bool FileDownloader::unsatisfiedRangeFinishes() const {
  if (!rangeAsked_ || !IsHttp(easy_) || ResponseCode(easy_) != 416)
    return false;
  const std::optional<std::int64_t> length =
      ParseUnsatisfiedRange(ResponseHeader(easy_, "Content-Range"));
  return length && *length == partial_->size &&
         (partial_->length < 0 || partial_->length == *length) && sameValidators(*partial_);
}

bool FileDownloader::restartFromZero() {
  if (!begun_ || restarted_)
    return false;
  if (!answerJudged_ && IsHttp(easy_) && ResponseCode(easy_) == 206)
    judgeAnswer();  // one without a body
  if (rangeAsked_ && IsHttp(easy_) && ResponseCode(easy_) == 416 && !unsatisfiedRangeFinishes())
    restartWanted_ = true;
  if (!restartWanted_)
    return false;
  file_.remove();  // a part being continued is only closed: it stays until replaced
  restarted_ = true;
  restartWanted_ = false;
  partialStale_ = partial_.has_value();
  rangeAsked_ = false;
  answerJudged_ = false;
  range_.reset();
  offset_ = 0;
  received_ = 0;
  tooLarge_ = false;
  tooSmall_.reset();
  header_ = minPicture_.isSet() ? std::make_unique<PictureHeaderReader>() : nullptr;
  httpError_ = false;
  writeErrno_ = 0;
  errorText_[0] = '\0';
  curl_easy_setopt(easy_, CURLOPT_RANGE, nullptr);
  curl_easy_setopt(easy_, CURLOPT_ACCEPT_ENCODING, "");
  useExtraHeaders({});
  return true;
}

std::optional<std::chrono::seconds> FileDownloader::retryAfter() const {
  curl_off_t seconds = 0;
  if (curl_easy_getinfo(easy_, CURLINFO_RETRY_AFTER, &seconds) != CURLE_OK || seconds <= 0)
    return std::nullopt;
  return std::chrono::seconds(seconds);
}

// How the transfer went, before the file is put in place.
DownloadNotice FileDownloader::outcome(int result) {
  DownloadNotice notice;
  const auto failed = [&](const char* reason, std::string text) {
    notice.landed = false;
    notice.reason = reason;
    notice.reasonText = std::move(text);
  };
  if (HttpErrorStatus(easy_)) {
    failed(failure::kHttpStatus, "HTTP " + std::to_string(ResponseCode(easy_)));
  } else if (tooSmall_) {
    failed(kTooSmallReason,
           "too small: " + PictureSizeText(*tooSmall_) + ", under " + PictureSizeText(minPicture_));
    notice.tooSmall = tooSmall_;
  } else if (tooLarge_ || result == CURLE_FILESIZE_EXCEEDED) {
    failed(failure::kTooLarge,
           ReasonText(failure::kTooLarge,
                      "larger than " + std::to_string(maxSize_.value_or(0)) + " bytes"));
  } else if (restartWanted_) {
    failed(failure::kBadRange,
           ReasonText(failure::kBadRange, "the server's answer does not fit the bytes asked for"));
  } else if (writeErrno_ != 0) {
    failed(FileFailureReason(writeErrno_), FileReasonText(writeErrno_, folder_));
  } else if (result != CURLE_OK) {
    const std::string curlText =
        errorText_[0] != '\0' ? errorText_ : curl_easy_strerror(static_cast<CURLcode>(result));
    const char* reason = TransferFailureReason(result, errorText_);
    failed(reason, reason == failure::kOther ? curlText : ReasonText(reason, curlText));
  } else if (conditionalHeaders_ != nullptr && IsHttp(easy_) && ResponseCode(easy_) == 304) {
    notice.landed = false;
    notice.notModified = true;
  }
  notice.httpStatus = static_cast<int>(ResponseCode(easy_));
  // The body as it was written, after any content encoding was undone.
  notice.bytes = httpError_ ? 0 : received_;
  const char* type = nullptr;
  if (curl_easy_getinfo(easy_, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type != nullptr)
    notice.contentType = type;
  const char* finalUrl = nullptr;
  if (curl_easy_getinfo(easy_, CURLINFO_EFFECTIVE_URL, &finalUrl) == CURLE_OK && finalUrl)
    notice.finalUrl = finalUrl;
  if (IsHttp(easy_)) {
    notice.etag = ResponseHeader(easy_, "ETag");
    notice.lastModified = ResponseHeader(easy_, "Last-Modified");
  }
  return notice;
}

DownloadNotice FileDownloader::notBegun() {
  failure_ = FailedNotice(failure::kOther, "no download was under way");
  return failure_;
}

DownloadNotice FileDownloader::endTransfer(int result) {
  if (unsatisfiedRangeFinishes()) {  // the part held is the whole file
    begun_ = false;
    DownloadNotice notice = outcome(CURLE_OK);
    notice.landed = true;
    notice.reason.clear();
    notice.reasonText.clear();
    notice.resumedFrom = partial_->size;
    if (const int error = file_.adopt(partial_->dataPath, partial_->size); error != 0)
      return FailedNotice(FileFailureReason(error), FileReasonText(error, partial_->dataPath));
    return notice;
  }
  // An answer without a body is judged now.
  if (result == CURLE_OK && !answerJudged_ && !HttpErrorStatus(easy_))
    judgeAnswer();
  begun_ = false;
  DownloadNotice notice = outcome(result);
  if (notice.landed && range_ && offset_ + received_ != range_->length) {
    notice.landed = false;
    notice.reason = failure::kCutOff;
    notice.reasonText = ReasonText(failure::kCutOff, std::to_string(offset_ + received_) + " of " +
                                                         std::to_string(range_->length) + " bytes");
  }
  if (notice.landed && file_.adopted())
    notice.resumedFrom = offset_;
  // An empty file is a file too: it is made here when no byte came.
  if (notice.landed && !createFile()) {
    notice.landed = false;
    notice.reason = failure_.reason;
    notice.reasonText = failure_.reasonText;
  }
  return notice;
}

DownloadNotice FileDownloader::place(DownloadNotice notice, const std::string& path) {
  kept_ = false;
  if (!notice.landed) {
    leaveUnlanded();
    return notice;
  }
  const int error = file_.moveTo(path);
  if (error != 0) {
    notice.landed = false;
    notice.reason = FileFailureReason(error);
    notice.reasonText = FileReasonText(error, path);
  } else if (store_) {
    store_->drop(url_);  // what was kept of it is in the file now
  }
  return notice;
}

void FileDownloader::leaveUnlanded() {
  if (file_.adopted()) {  // the part continued stays, grown
    file_.sync();
    file_.remove();
    return;
  }
  if (!keepable()) {
    file_.remove();
    if (partialStale_ && store_)
      store_->drop(url_);
    return;
  }
  PartialDownload part;
  part.url = url_;
  part.etag = ResponseHeader(easy_, "ETag");
  part.lastModified = ResponseHeader(easy_, "Last-Modified");
  curl_off_t length = -1;
  curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
  part.length = range_ ? range_->length : length;
  file_.sync();
  const std::string path = file_.release();
  store_->keep(path, part);  // the file goes either way
  if (record_ != nullptr)
    record_->forget(path);
}

bool FileDownloader::keepable() const {
  if (!store_ || !file_.isOpen() || restartWanted_ || httpError_ || tooLarge_ || tooSmall_ ||
      writeErrno_ != 0 || !IsHttp(easy_) || offset_ + received_ < resumeThreshold_)
    return false;
  const long status = ResponseCode(easy_);
  const std::string etag = ResponseHeader(easy_, "ETag");
  const bool validated =
      (!etag.empty() && !etag.starts_with("W/")) || !ResponseHeader(easy_, "Last-Modified").empty();
  return (status == 200 || (status == 206 && range_)) && validated &&
         ResponseHeader(easy_, "Content-Encoding").empty();
}

DownloadNotice FileDownloader::finish(int result) {
  if (!begun_)
    return notBegun();
  return place(endTransfer(result), targetPath_);
}

DownloadNotice FileDownloader::keep(int result) {
  if (!begun_)
    return notBegun();
  DownloadNotice notice = endTransfer(result);
  if (!notice.landed) {
    abandon();
    return notice;
  }
  kept_ = true;
  return notice;
}

DownloadNotice FileDownloader::commit(DownloadNotice kept, const std::string& path) {
  if (!kept_) {
    abandon();
    return kept;
  }
  return place(std::move(kept), path);
}

std::string FileDownloader::releaseKept() {
  if (!kept_)
    return {};
  kept_ = false;
  begun_ = false;
  return file_.release();
}

void FileDownloader::abandon() {
  const bool underWay = std::exchange(begun_, false);
  kept_ = false;
  if (underWay)
    leaveUnlanded();  // a download stopped part-way may be continued
  else
    file_.remove();
}

}  // namespace harvel
