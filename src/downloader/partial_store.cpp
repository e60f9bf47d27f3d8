#include "downloader/partial_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string_view>

namespace harvel {
namespace {

constexpr std::string_view kMetaHeader = "harvel-partial 1\n";
constexpr const char* kMetaSuffix = ".meta";
constexpr std::string_view kPartSuffix = ".part";
constexpr std::size_t kKeyLength = 16;
constexpr std::size_t kPartSuffixLength = 6;
// A URL is at most a frame's payload: a description beyond this is no one's.
constexpr off_t kLargestMeta = (1 << 20) + 4096;

bool OwnFolder(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid();
}

std::string RandomLetters() {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  static std::mt19937_64 random{std::random_device{}()};
  std::string letters;
  std::uint64_t bits = random();
  for (std::size_t i = 0; i < kPartSuffixLength; ++i, bits >>= 6)
    letters += kLetters[bits % (sizeof kLetters - 1)];
  return letters;
}

// The description's text: the header, then one field a line, the URL last
// (it takes the rest: a URL may hold any byte but zero).
std::string MetaText(const PartialDownload& download, const std::string& dataName) {
  std::string text(kMetaHeader);
  text += "data " + dataName + "\n";
  text += "length " + std::to_string(download.length) + "\n";
  text += "etag " + download.etag + "\n";
  text += "last-modified " + download.lastModified + "\n";
  text += "url " + download.url;
  return text;
}

bool TakeLine(std::string_view& text, std::string_view name, std::string& value) {
  const std::string prefix = std::string(name) + " ";
  const auto end = text.find('\n');
  if (!text.starts_with(prefix) || end == std::string_view::npos)
    return false;
  value = text.substr(prefix.size(), end - prefix.size());
  text.remove_prefix(end + 1);
  return true;
}

std::optional<std::string> ReadSmallFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0)
    return std::nullopt;
  struct stat info {};
  std::string text;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid() &&
      info.st_size <= kLargestMeta) {
    text.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < text.size()) {
      const ssize_t n = read(fd, text.data() + done, text.size() - done);
      if (n < 0 && errno == EINTR)
        continue;
      if (n <= 0)
        break;
      done += static_cast<std::size_t>(n);
    }
    text.resize(done);
  }
  close(fd);
  return text;
}

int WriteWhole(const std::string& path, const std::string& text) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0)
    return errno;
  std::size_t done = 0;
  int error = 0;
  while (done < text.size() && error == 0) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      error = n < 0 ? errno : ENOSPC;
    else
      done += static_cast<std::size_t>(n);
  }
  if (error == 0 && fsync(fd) != 0)
    error = errno;
  if (close(fd) != 0 && error == 0)
    error = errno;
  return error;
}

}  // namespace

std::optional<PartialStore> PartialStore::Open(const std::string& folder) {
  const std::filesystem::path path(folder);
  if (!path.is_absolute() || !path.has_filename() || !OwnFolder(path.parent_path().string()))
    return std::nullopt;
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
    return std::nullopt;
  if (!OwnFolder(folder))
    return std::nullopt;
  return PartialStore(folder);
}

std::string PartialStore::key(const std::string& url) const {
  // FNV-1a: the same on every run; the description names its URL, so that
  // two URLs of one key never take each other's bytes.
  std::uint64_t hash = 14695981039346656037ull;
  for (const unsigned char byte : url)
    hash = (hash ^ byte) * 1099511628211ull;
  char text[kKeyLength + 1];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

std::string PartialStore::metaPath(const std::string& url) const {
  return folder_ + "/" + key(url) + kMetaSuffix;
}

std::optional<PartialDownload> PartialStore::find(const std::string& url) const {
  const std::optional<std::string> meta = ReadSmallFile(metaPath(url));
  if (!meta)
    return std::nullopt;
  std::string_view text(*meta);
  if (!text.starts_with(kMetaHeader))
    return std::nullopt;
  text.remove_prefix(kMetaHeader.size());
  PartialDownload download;
  std::string dataName;
  std::string length;
  if (!TakeLine(text, "data", dataName) || !TakeLine(text, "length", length) ||
      !TakeLine(text, "etag", download.etag) ||
      !TakeLine(text, "last-modified", download.lastModified) || !text.starts_with("url ") ||
      text.substr(4) != url)
    return std::nullopt;
  const std::string prefix = key(url) + "-";
  if (dataName.size() != prefix.size() + kPartSuffixLength + kPartSuffix.size() ||
      !dataName.starts_with(prefix) || !dataName.ends_with(kPartSuffix))
    return std::nullopt;
  download.url = url;
  download.dataPath = folder_ + "/" + dataName;
  download.length = std::strtoll(length.c_str(), nullptr, 10);
  struct stat info {};
  if (lstat(download.dataPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
      info.st_uid != geteuid() || info.st_nlink != 1 || info.st_size <= 0)
    return std::nullopt;
  download.size = info.st_size;
  return download;
}

int PartialStore::keep(const std::string& path, const PartialDownload& download) {
  const std::string dataName = key(download.url) + "-" + RandomLetters() + std::string(kPartSuffix);
  const std::string dataPath = folder_ + "/" + dataName;
  if (rename(path.c_str(), dataPath.c_str()) != 0) {
    const int error = errno;
    unlink(path.c_str());
    return error;
  }
  const std::string meta = metaPath(download.url);
  const std::string fresh = meta + "-new";
  int error = WriteWhole(fresh, MetaText(download, dataName));
  if (error == 0 && rename(fresh.c_str(), meta.c_str()) != 0)
    error = errno;
  if (error != 0) {
    unlink(fresh.c_str());
    unlink(dataPath.c_str());
    return error;
  }
  removeParts(download.url, dataName);
  return 0;
}

void PartialStore::drop(const std::string& url) {
  unlink(metaPath(url).c_str());
  removeParts(url, "");
}

void PartialStore::removeParts(const std::string& url, const std::string& kept) const {
  const std::string prefix = key(url) + "-";
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder_, error)) {
    const std::string name = entry.path().filename().string();
    if (name != kept && name.starts_with(prefix) && name.ends_with(kPartSuffix) &&
        name.size() == prefix.size() + kPartSuffixLength + kPartSuffix.size())
      unlink(entry.path().c_str());
  }
}

}  // namespace harvel
