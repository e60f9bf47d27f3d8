#include "downloader/leftover_copies.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string_view>

#include "common/path_text.h"
#include "downloader/temporary_file_record.h"

namespace harvel {
namespace {

// Folders used this many times are remembered; past that the set starts over,
// and a folder is swept again at most once more.
constexpr std::size_t kFoldersRemembered = 4096;
// A list is read up to this size.
constexpr std::size_t kLargestList = 16 << 20;

std::string ListPath(const std::string& folder) {
  return folder + "/" + LeftoverCopies::kListName;
}

void RemoveIfLeftover(const std::string& path, std::time_t started) {
  if (!TemporaryFileRecord::IsTemporaryName(path))
    return;
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return;
  struct stat info {};
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == getuid() &&
      info.st_nlink == 1 && info.st_mtime < started && flock(fd, LOCK_EX | LOCK_NB) == 0) {
    unlink(path.c_str());
  }
  close(fd);
}

// The list's text, when it is a plain file of this user with one name.
std::string ReadList(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return {};
  std::string text;
  struct stat info {};
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == getuid() &&
      info.st_nlink == 1) {
    char block[1 << 14];
    ssize_t n = 0;
    while (text.size() < kLargestList && (n = read(fd, block, sizeof block)) > 0)
      text.append(block, static_cast<std::size_t>(n));
  }
  close(fd);
  return text;
}

// The list opened for appending, when it is a plain file with one name.
int OpenList(const std::string& path) {
  const int fd =
      open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  if (fd < 0)
    return -1;
  struct stat info {};
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1)
    return fd;
  close(fd);
  return -1;
}

void RemoveList(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == getuid())
    unlink(path.c_str());
}

}  // namespace

LeftoverCopies::LeftoverCopies() : started_(std::time(nullptr)) {}

LeftoverCopies::~LeftoverCopies() {
  for (const auto& [folder, listing] : listings_) {
    if (listing.fd >= 0)
      close(listing.fd);
  }
}

void LeftoverCopies::copyKept(const std::string& folder, const std::string& path) {
  folderUsed(folder);  // an earlier list is read before this one is added to
  Listing& listing = listings_[folder];
  ++listing.waiting;
  if (listing.fd < 0)
    listing.fd = OpenList(ListPath(folder));
  if (listing.fd < 0)
    return;
  const std::string line = TextFromPath(PathFromText(path).filename()) + "\n";
  [[maybe_unused]] const ssize_t written = write(listing.fd, line.data(), line.size());
}

void LeftoverCopies::copyGone(const std::string& folder) {
  const auto found = listings_.find(folder);
  if (found == listings_.end() || --found->second.waiting > 0)
    return;
  if (found->second.fd >= 0)
    close(found->second.fd);
  listings_.erase(found);
  RemoveList(ListPath(folder));
}

void LeftoverCopies::folderUsed(const std::string& folder) {
  // A folder where copies of this downloader wait was swept before they came.
  if (folder.empty() || swept_.contains(folder) || listings_.contains(folder))
    return;
  if (swept_.size() >= kFoldersRemembered)
    swept_.clear();
  swept_.insert(folder);
  const std::string list = ListPath(folder);
  const std::string text = ReadList(list);
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view name = rest.substr(0, end);
    if (name.find('/') == std::string_view::npos)
      RemoveIfLeftover(folder + "/" + std::string(name), started_);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  RemoveList(list);
}

}  // namespace harvel
