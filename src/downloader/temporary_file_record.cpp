#include "downloader/temporary_file_record.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <string_view>

#include "common/regular_file.h"
#include "downloader/temporary_file.h"

namespace harvel {
namespace {

// Removes the file at `path` when it is a temporary file of a downloader that
// is gone: a plain file of this user, named like one, that nobody holds
// locked. A file still being written is locked by its writer.
void RemoveLeftover(const std::string& path) {
  if (!TemporaryFileRecord::IsTemporaryName(path))
    return;
  const RegularFile file = RegularFile::Open(path, RegularFile::Links::Refuse);
  if (file && file.status().st_uid == getuid() && file.status().st_nlink == 1 &&
      flock(file.descriptor(), LOCK_EX | LOCK_NB) == 0) {
    unlink(path.c_str());
  }
}

// The record of a downloader that was killed is read up to this size.
constexpr std::size_t kMaxRecordBytes = 16 << 20;
// The record is made anew when it has grown past this and past four times
// what its files under way take.
constexpr std::size_t kRewriteBytes = 256 << 10;

constexpr char kMade = '+';
constexpr char kGone = '-';

std::string ReadRecord(int fd) {
  std::string text;
  char block[65536];
  ssize_t n = 0;
  while (text.size() < kMaxRecordBytes &&
         (n = pread(fd, block, sizeof block, static_cast<off_t>(text.size()))) > 0)
    text.append(block, static_cast<std::size_t>(n));
  return text;
}

// The files a record names as made and not gone. Entries end with a zero
// byte, which no path holds; an entry that is a bare path (a record of an
// older downloader, written whole) names a file made.
std::set<std::string> FilesUnderWay(const std::string& text) {
  std::set<std::string> files;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\0', start);
    if (end == std::string::npos)
      break;  // cut short by a kill while it was written
    const std::string_view entry(text.data() + start, end - start);
    if (!entry.empty() && entry.front() == kGone)
      files.erase(std::string(entry.substr(1)));
    else if (!entry.empty() && entry.front() == kMade)
      files.insert(std::string(entry.substr(1)));
    else if (!entry.empty())
      files.insert(std::string(entry));
    start = end + 1;
  }
  return files;
}

}  // namespace

TemporaryFileRecord::~TemporaryFileRecord() {
  if (fd_ >= 0) {
    // Nothing is under way any more.
    if (ftruncate(fd_, 0) != 0) {
      paths_.clear();
      rewrite();
    }
    close(fd_);
  }
}

bool TemporaryFileRecord::open(const std::string& recordPath) {
  // Only a record this downloader could have written is read: a plain file of
  // this user with no other name.
  const RegularFile record = RegularFile::Open(recordPath, RegularFile::Links::Refuse);
  if (record && record.status().st_uid == getuid() && record.status().st_nlink == 1) {
    for (const std::string& path : FilesUnderWay(ReadRecord(record.descriptor())))
      RemoveLeftover(path);
  }
  path_ = recordPath;
  if (!rewrite()) {
    path_.clear();
    return false;
  }
  return true;
}

void TemporaryFileRecord::remember(const std::string& path) {
  if (path_.empty())
    return;
  paths_.insert(path);
  append(kMade, path);
}

void TemporaryFileRecord::forget(const std::string& path) {
  if (path_.empty() || paths_.erase(path) == 0)
    return;
  append(kGone, path);
}

void TemporaryFileRecord::append(char mark, const std::string& path) {
  std::size_t live = 0;
  if (size_ >= kRewriteBytes) {
    for (const std::string& kept : paths_)
      live += kept.size() + 2;
  }
  if (fd_ >= 0 && (size_ < kRewriteBytes || size_ < 4 * live)) {
    std::string entry;
    entry.reserve(path.size() + 2);
    entry += mark;
    entry += path;
    entry += '\0';
    // One write: a kill cuts no entry in two, and a cut last entry is not read.
    if (::write(fd_, entry.data(), entry.size()) == static_cast<ssize_t>(entry.size())) {
      size_ += entry.size();
      return;
    }
  }
  rewrite();  // grown large, or a write that failed left a piece of an entry
}

// The record is made anew and renamed over the old one, never written
// through: whatever the old name leads to (a link to a file of the user's)
// stays as it is. It only guides a clean-up: a record that cannot be written
// leaves names that match no file.
bool TemporaryFileRecord::rewrite() {
  std::string text;
  for (const std::string& path : paths_) {
    text += kMade;
    text += path;
    text += '\0';
  }
  const std::string fresh = path_ + ".new";
  const auto create = [&] {
    return ::open(fresh.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                  0600);
  };
  int fd = create();
  if (fd < 0 && errno == EEXIST) {
    unlink(fresh.c_str());  // left by a downloader killed while writing: only the name goes
    fd = create();
  }
  if (fd < 0)
    return false;
  const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  if (!written || rename(fresh.c_str(), path_.c_str()) != 0) {
    close(fd);
    unlink(fresh.c_str());
    return false;
  }
  if (fd_ >= 0)
    close(fd_);
  fd_ = fd;
  size_ = text.size();
  return true;
}
bool TemporaryFileRecord::IsTemporaryName(const std::string& path) {
  const std::string_view prefix = TemporaryFile::kPrefix;
  const std::size_t slash = path.rfind('/');
  const std::string_view name =
      std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
  if (name.size() != prefix.size() + TemporaryFile::kSuffixLength ||
      name.substr(0, prefix.size()) != prefix)
    return false;
  return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace harvel
