#include "downloader/file_download.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <utility>

#include "common/path_text.h"
#include "common/url_scheme.h"

namespace harvel {
namespace {

// A dead server is given up after this long.
constexpr long kConnectTimeoutSeconds = 30;
constexpr long kMaxRedirects = 10;

// A new file named `prefix` and random letters or digits, opened for writing
// with `mode` and named in `record` first; -1 when the folder cannot be
// written to.
int CreateTemporaryFile(const std::string& prefix, unsigned mode, std::string& path,
                        TemporaryFileRecord* record) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  static std::mt19937_64 random{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = prefix;
    std::uint64_t bits = random();
    for (std::size_t i = 0; i < FileDownloader::kTemporarySuffixLength; ++i, bits >>= 6)
      path += kLetters[bits % (sizeof kLetters - 1)];
    if (record != nullptr)
      record->remember(path);
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST)
      return fd;
    if (record != nullptr)
      record->forget(path);  // somebody else's file
  }
  return -1;
}

long ResponseCode(CURL* easy) {
  long status = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  return status;
}

bool IsHttp(CURL* easy) {
  const char* scheme = nullptr;
  curl_easy_getinfo(easy, CURLINFO_SCHEME, &scheme);
  return scheme != nullptr && (strcasecmp(scheme, "http") == 0 || strcasecmp(scheme, "https") == 0);
}

bool HttpErrorStatus(CURL* easy) {
  return IsHttp(easy) && ResponseCode(easy) >= 400;
}

// The reason for a file that cannot be made, written or put in place.
const char* FileReason(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return failure::kDiskFull;
    case ENAMETOOLONG:
      return failure::kNameTooLong;
    default:
      return failure::kUnwritable;
  }
}

// The first words of a failure's text say what happened in the same words
// every time; libcurl's or the system's own words follow.
const char* ReasonPhrase(std::string_view reason) {
  static const std::pair<const char*, const char*> kPhrases[] = {
      {failure::kTimeout, "timed out"},         {failure::kRefused, "connection refused"},
      {failure::kReset, "connection reset"},    {failure::kCutOff, "cut off"},
      {failure::kNameLookup, "host not found"}, {failure::kCertificate, "certificate refused"},
      {failure::kDiskFull, "disk full"},        {failure::kNameTooLong, "name too long"},
      {failure::kUnwritable, "cannot write"},   {failure::kScheme, "refused scheme"},
      {failure::kTooLarge, "too large"},        {failure::kTooSlow, "too slow"},
      {failure::kBadRequest, "bad request"},
  };
  for (const auto& [code, phrase] : kPhrases) {
    if (reason == code)
      return phrase;
  }
  return "failed";
}

std::string ReasonText(const char* reason, const std::string& detail) {
  return std::string(ReasonPhrase(reason)) + ": " + detail;
}

std::string FileReasonText(int error, const std::string& path) {
  return ReasonText(FileReason(error), std::string(std::strerror(error)) + ": " + path);
}

}  // namespace

FileDownloader::FileDownloader() : easy_(curl_easy_init()) {
  // Files get the mode a program writing them directly would give them.
  const mode_t mask = umask(0);
  umask(mask);
  fileMode_ = 0666 & ~mask;

  curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https,ftp");
  curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  setSpeedLimit(SpeedLimit{});
  curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, errorText_);
  curl_easy_setopt(easy_, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(easy_, CURLOPT_USERAGENT, "VeskDownloader/1.0");
  curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &FileDownloader::writeBody);
  curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
}

FileDownloader::~FileDownloader() {
  abandon();
  curl_easy_cleanup(easy_);
}

void FileDownloader::setSpeedLimit(SpeedLimit limit) {
  curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_LIMIT, limit.bytesPerSecond);
  curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limit.window.count()));
}

void FileDownloader::fail(const char* reason, std::string text) {
  failure_ = DownloadNotice{};
  failure_.landed = false;
  failure_.reason = reason;
  failure_.reasonText = std::move(text);
}

bool FileDownloader::begin(const DownloadRequest& request) {
  namespace fs = std::filesystem;
  abandon();
  if (request.url.find('\0') != std::string::npos || request.path.find('\0') != std::string::npos) {
    fail(failure::kBadRequest, ReasonText(failure::kBadRequest, "a zero byte in the URL or path"));
    return false;
  }
  const fs::path target = PathFromText(request.path);
  if (!target.is_absolute() || !target.has_filename()) {
    fail(failure::kBadRequest,
         ReasonText(failure::kBadRequest, "not an absolute file path: " + request.path));
    return false;
  }
  if (!IsDownloadableUrl(request.url)) {
    fail(failure::kScheme, ReasonText(failure::kScheme, "only http, https and ftp are downloaded"));
    return false;
  }
  folder_ = TextFromPath(target.parent_path());
  targetPath_ = TextFromPath(target);
  maxSize_ = request.maxSize;
  received_ = 0;
  tooLarge_ = false;
  httpError_ = false;
  writeErrno_ = 0;
  errorText_[0] = '\0';
  curl_easy_setopt(easy_, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(easy_, CURLOPT_REFERER,
                   request.referer.empty() ? nullptr : request.referer.c_str());
  curl_easy_setopt(easy_, CURLOPT_MAXFILESIZE_LARGE,
                   static_cast<curl_off_t>(request.maxSize.value_or(0)));
  begun_ = true;
  return true;
}

bool FileDownloader::createFile() {
  if (fd_ >= 0)
    return true;
  if (!begun_)
    return false;
  // Created with the mode a program writing the file directly would give it.
  fd_ = CreateTemporaryFile(folder_ + "/" + kTemporaryPrefix, fileMode_, tempPath_, record_);
  if (fd_ < 0) {  // no such folder, or not writable
    writeErrno_ = errno;
    forgetTemporaryFile();
    fail(FileReason(writeErrno_), FileReasonText(writeErrno_, folder_));
    return false;
  }
  flock(fd_, LOCK_EX);  // marks the file as being written (see TemporaryFileRecord)
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
  downloader.received_ += static_cast<std::int64_t>(total);
  if (downloader.maxSize_ && downloader.received_ > *downloader.maxSize_) {
    downloader.tooLarge_ = true;
    return 0;
  }
  if (!downloader.createFile())
    return 0;
  size_t written = 0;
  while (written < total) {
    const ssize_t n = write(downloader.fd_, data + written, total - written);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      downloader.writeErrno_ = n < 0 ? errno : ENOSPC;
      return 0;
    }
    written += static_cast<size_t>(n);
  }
  return total;
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
  notice.httpStatus = static_cast<int>(ResponseCode(easy_));
  // The body as it was written, after any content encoding was undone.
  notice.bytes = httpError_ ? 0 : received_;
  const char* type = nullptr;
  if (curl_easy_getinfo(easy_, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type != nullptr)
    notice.contentType = type;
  const char* finalUrl = nullptr;
  if (curl_easy_getinfo(easy_, CURLINFO_EFFECTIVE_URL, &finalUrl) == CURLE_OK && finalUrl)
    notice.finalUrl = finalUrl;

  const auto code = static_cast<CURLcode>(result);
  const std::string curlText = errorText_[0] != '\0' ? errorText_ : curl_easy_strerror(code);
  const auto failed = [&](const char* reason, const std::string& detail) {
    notice.landed = false;
    notice.reason = reason;
    notice.reasonText = reason == failure::kOther ? detail : ReasonText(reason, detail);
  };
  if (HttpErrorStatus(easy_)) {
    notice.landed = false;
    notice.reason = failure::kHttpStatus;
    notice.reasonText = "HTTP " + std::to_string(notice.httpStatus);
  } else if (tooLarge_ || code == CURLE_FILESIZE_EXCEEDED) {
    failed(failure::kTooLarge, "larger than " + std::to_string(maxSize_.value_or(0)) + " bytes");
  } else if (writeErrno_ != 0) {
    notice.landed = false;
    notice.reason = FileReason(writeErrno_);
    notice.reasonText = FileReasonText(writeErrno_, folder_);
  } else {
    switch (code) {
      case CURLE_OK:
        break;
      case CURLE_COULDNT_CONNECT:
        failed(failure::kRefused, curlText);
        break;
      case CURLE_OPERATION_TIMEDOUT:
        // libcurl says "Operation too slow" when the least speed was not kept.
        failed(
            std::strstr(errorText_, "too slow") != nullptr ? failure::kTooSlow : failure::kTimeout,
            curlText);
        break;
      case CURLE_RECV_ERROR:
      case CURLE_SEND_ERROR:
      case CURLE_GOT_NOTHING:
        failed(failure::kReset, curlText);
        break;
      case CURLE_PARTIAL_FILE:
        failed(failure::kCutOff, curlText);
        break;
      case CURLE_COULDNT_RESOLVE_HOST:
      case CURLE_COULDNT_RESOLVE_PROXY:
        failed(failure::kNameLookup, curlText);
        break;
      case CURLE_PEER_FAILED_VERIFICATION:
      case CURLE_SSL_CERTPROBLEM:
      case CURLE_SSL_ISSUER_ERROR:
      case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
      case CURLE_SSL_CACERT_BADFILE:
        failed(failure::kCertificate, curlText);
        break;
      case CURLE_UNSUPPORTED_PROTOCOL:
        failed(failure::kScheme, curlText);
        break;
      default:
        failed(failure::kOther, curlText);
        break;
    }
  }
  return notice;
}

DownloadNotice FileDownloader::notBegun() {
  fail(failure::kOther, "no download was under way");
  return failure_;
}

DownloadNotice FileDownloader::endTransfer(int result) {
  begun_ = false;
  DownloadNotice notice = outcome(result);
  // An empty file is a file too: it is made here when no byte came.
  if (notice.landed && !createFile()) {
    notice.landed = false;
    notice.reason = failure_.reason;
    notice.reasonText = failure_.reasonText;
  }
  return notice;
}

DownloadNotice FileDownloader::finish(int result) {
  if (!begun_)
    return notBegun();
  DownloadNotice notice = endTransfer(result);
  if (fd_ < 0)
    return notice;
  const int closed = close(fd_) == 0 ? 0 : errno;
  fd_ = -1;
  if (notice.landed && closed != 0) {
    notice.landed = false;
    notice.reason = FileReason(closed);
    notice.reasonText = FileReasonText(closed, folder_);
  }
  if (notice.landed) {
    if (rename(tempPath_.c_str(), targetPath_.c_str()) == 0) {
      forgetTemporaryFile();
      return notice;
    }
    const int error = errno;
    notice.landed = false;
    notice.reason = FileReason(error);
    notice.reasonText = FileReasonText(error, targetPath_);
  }
  unlink(tempPath_.c_str());
  forgetTemporaryFile();
  return notice;
}

bool FileDownloader::beginStaged(const DownloadRequest& request) {
  return begin(request);
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
  if (!kept_ || fd_ < 0 || !kept.landed) {
    abandon();
    return kept;
  }
  kept_ = false;
  const int closed = close(fd_) == 0 ? 0 : errno;
  fd_ = -1;
  const int renamed = closed != 0                                    ? closed
                      : rename(tempPath_.c_str(), path.c_str()) == 0 ? 0
                                                                     : errno;
  if (renamed == 0) {
    forgetTemporaryFile();
    return kept;
  }
  unlink(tempPath_.c_str());
  forgetTemporaryFile();
  kept.landed = false;
  kept.reason = FileReason(renamed);
  kept.reasonText = FileReasonText(renamed, path);
  return kept;
}

void FileDownloader::forgetTemporaryFile() {
  if (record_ != nullptr)
    record_->forget(tempPath_);
}

void FileDownloader::abandon() {
  begun_ = false;
  kept_ = false;
  if (fd_ < 0)
    return;
  close(fd_);
  fd_ = -1;
  unlink(tempPath_.c_str());
  forgetTemporaryFile();
}

}  // namespace harvel
