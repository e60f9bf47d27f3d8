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

#include "downloader/temporary_file.h"

namespace harvel {
namespace {

// Removes the file at `path` when it is a temporary file of a downloader that
// is gone: a plain file of this user, named like one, that nobody holds
// locked. A file still being written is locked by its writer.
void RemoveLeftover(const std::string& path) {
  if (!TemporaryFileRecord::IsTemporaryName(path))
    return;
  // Non-blocking: a named pipe put there must not stall the open.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0)
    return;
  struct stat info {};
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == getuid() &&
      info.st_nlink == 1 && flock(fd, LOCK_EX | LOCK_NB) == 0) {
    unlink(path.c_str());
  }
  close(fd);
}

std::string ReadRecord(int fd) {
  std::string text;
  char block[4096];
  ssize_t n = 0;
  while ((n = pread(fd, block, sizeof block, static_cast<off_t>(text.size()))) > 0 &&
         text.size() < 65536)
    text.append(block, static_cast<std::size_t>(n));
  return text;
}

}  // namespace

TemporaryFileRecord::~TemporaryFileRecord() {
  if (!path_.empty()) {
    paths_.clear();
    write();
  }
}

bool TemporaryFileRecord::open(const std::string& recordPath) {
  // Only a record this downloader could have written is read: a plain file of
  // this user with no other name. Non-blocking: a named pipe put there must
  // not stall the open.
  const int fd = ::open(recordPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd >= 0) {
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == getuid() &&
        info.st_nlink == 1) {
      // Paths are separated by zero bytes, which no path holds.
      const std::string left = ReadRecord(fd);
      std::size_t start = 0;
      while (start < left.size()) {
        std::size_t end = left.find('\0', start);
        if (end == std::string::npos)
          end = left.size();
        if (end > start)
          RemoveLeftover(left.substr(start, end - start));
        start = end + 1;
      }
    }
    close(fd);
  }
  path_ = recordPath;
  if (!write()) {
    path_.clear();
    return false;
  }
  return true;
}

void TemporaryFileRecord::remember(const std::string& path) {
  if (path_.empty())
    return;
  paths_.insert(path);
  write();
}

void TemporaryFileRecord::forget(const std::string& path) {
  if (path_.empty() || paths_.erase(path) == 0)
    return;
  write();
}

// The record is made anew and renamed over the old one, never written
// through: whatever the old name leads to (a link to a file of the user's)
// stays as it is. It only guides a clean-up: a record that cannot be written
// leaves names that match no file.
bool TemporaryFileRecord::write() {
  std::string text;
  for (const std::string& path : paths_) {
    text += path;
    text += '\0';
  }
  const std::string fresh = path_ + ".new";
  const auto create = [&] {
    return ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  };
  int fd = create();
  if (fd < 0 && errno == EEXIST) {
    unlink(fresh.c_str());  // left by a downloader killed while writing: only the name goes
    fd = create();
  }
  if (fd < 0)
    return false;
  const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  close(fd);
  if (!written || rename(fresh.c_str(), path_.c_str()) != 0) {
    unlink(fresh.c_str());
    return false;
  }
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
