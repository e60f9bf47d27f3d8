#include "downloader/file_download.h"

#include <curl/curl.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "common/path_text.h"

namespace harvel {
namespace {

// A dead server is given up after this long; a stalled one once it has sent
// less than kLowSpeedBytes a second for kLowSpeedSeconds.
constexpr long kConnectTimeoutSeconds = 30;
constexpr long kLowSpeedBytes = 1;
constexpr long kLowSpeedSeconds = 60;
constexpr long kMaxRedirects = 10;

// A new file named `prefix` and six random letters or digits, opened for
// writing with `mode`; -1 when the folder cannot be written to.
int CreateTemporaryFile(const std::string& prefix, unsigned mode, std::string& path) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  static std::mt19937_64 random{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = prefix;
    std::uint64_t bits = random();
    for (int i = 0; i < 6; ++i, bits >>= 6)
      path += kLetters[bits % (sizeof kLetters - 1)];
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST)
      return fd;
  }
  return -1;
}

bool HttpErrorStatus(CURL* easy) {
  const char* scheme = nullptr;
  long status = 0;
  curl_easy_getinfo(easy, CURLINFO_SCHEME, &scheme);
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  const bool http =
      scheme != nullptr && (std::strcmp(scheme, "HTTP") == 0 || std::strcmp(scheme, "HTTPS") == 0 ||
                            std::strcmp(scheme, "http") == 0 || std::strcmp(scheme, "https") == 0);
  return http && status >= 400;
}

constexpr const char* kTempPrefix = ".VeskDownloader-";

// Removes the temporary files that a downloader which was killed mid-download
// left in `folder`. A file being written is locked by its writer; one that
// nobody holds is a leftover.
void RemoveLeftovers(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr)
    return;
  while (dirent* entry = readdir(dir)) {
    if (std::strncmp(entry->d_name, kTempPrefix, std::strlen(kTempPrefix)) != 0)
      continue;
    const std::string path = folder + "/" + entry->d_name;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
      continue;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0)
      unlink(path.c_str());
    close(fd);
  }
  closedir(dir);
}

// Folders already rid of leftovers by this process: shared by every
// downloader, since one of them may hold a finished file that it keeps locked
// while another begins in the same folder.
std::set<std::string>& CleanedFolders() {
  static std::set<std::string> folders;
  return folders;
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
  curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_LIMIT, kLowSpeedBytes);
  curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_TIME, kLowSpeedSeconds);
  curl_easy_setopt(easy_, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(easy_, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(easy_, CURLOPT_USERAGENT, "VeskDownloader/1.0");
  curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &FileDownloader::writeBody);
  curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
}

FileDownloader::~FileDownloader() {
  abandon();
  curl_easy_cleanup(easy_);
}

bool FileDownloader::begin(const DownloadRequest& request) {
  namespace fs = std::filesystem;
  abandon();
  const fs::path target = PathFromText(request.path);
  if (!target.is_absolute() || !target.has_filename())
    return false;
  folder_ = TextFromPath(target.parent_path());
  targetPath_ = TextFromPath(target);
  curl_easy_setopt(easy_, CURLOPT_URL, request.url.c_str());
  begun_ = true;
  return true;
}

bool FileDownloader::createFile() {
  if (fd_ >= 0)
    return true;
  if (!begun_)
    return false;
  if (CleanedFolders().insert(folder_).second)
    RemoveLeftovers(folder_);
  // Created with the mode a program writing the file directly would give it.
  fd_ = CreateTemporaryFile(folder_ + "/" + kTempPrefix, fileMode_, tempPath_);
  if (fd_ < 0)
    return false;       // no such folder, or not writable
  flock(fd_, LOCK_EX);  // marks the file as being written (see RemoveLeftovers)
  return true;
}

size_t FileDownloader::writeBody(char* data, size_t size, size_t count, void* self) {
  // Straight to the file: libcurl hands over up to 16 KiB at a time, so a
  // buffer of our own would only add a copy.
  auto& downloader = *static_cast<FileDownloader*>(self);
  if (!downloader.createFile())
    return 0;  // makes libcurl end the transfer as failed
  const size_t total = size * count;
  size_t written = 0;
  while (written < total) {
    const ssize_t n = write(downloader.fd_, data + written, total - written);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return 0;
    written += static_cast<size_t>(n);
  }
  return total;
}

bool FileDownloader::finish(int result) {
  if (!begun_)
    return false;
  begun_ = false;
  // An empty file is a file too: it is made here when no byte came.
  const bool ok = result == CURLE_OK && !HttpErrorStatus(easy_) && createFile();
  if (fd_ < 0)
    return false;
  const bool closed = close(fd_) == 0;
  fd_ = -1;
  if (ok && closed && rename(tempPath_.c_str(), targetPath_.c_str()) == 0)
    return true;
  unlink(tempPath_.c_str());
  return false;
}

bool FileDownloader::beginStaged(const std::string& url, const std::string& folder) {
  return begin(DownloadRequest{url, folder + "/" + kTempPrefix});
}

FileDownloader::Kept FileDownloader::keep(int result) {
  if (!begun_)
    return Kept::Failed;
  begun_ = false;
  if (result == CURLE_HTTP_RETURNED_ERROR || (result == CURLE_OK && HttpErrorStatus(easy_))) {
    abandon();
    return Kept::Refused;
  }
  if (result != CURLE_OK || !createFile()) {
    abandon();
    return Kept::Failed;
  }
  kept_ = true;
  return Kept::Kept;
}

bool FileDownloader::commit(const std::string& path) {
  if (!kept_ || fd_ < 0)
    return false;
  kept_ = false;
  const bool closed = close(fd_) == 0;
  fd_ = -1;
  const std::filesystem::path target = PathFromText(path);
  if (closed && target.is_absolute() && target.has_filename() &&
      rename(tempPath_.c_str(), path.c_str()) == 0)
    return true;
  unlink(tempPath_.c_str());
  return false;
}

void FileDownloader::abandon() {
  begun_ = false;
  kept_ = false;
  if (fd_ < 0)
    return;
  close(fd_);
  fd_ = -1;
  unlink(tempPath_.c_str());
}

}  // namespace harvel
