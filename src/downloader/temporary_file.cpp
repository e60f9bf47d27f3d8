#include "downloader/temporary_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <random>
#include <utility>

namespace harvel {
namespace {

unsigned FileMode() {
  static const unsigned mode = [] {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666u & ~mask;
  }();
  return mode;
}

}  // namespace

TemporaryFile::~TemporaryFile() {
  remove();
}

int TemporaryFile::create(const std::string& folder) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  static std::mt19937_64 random{std::random_device{}()};
  remove();
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = folder + "/" + kPrefix;
    std::uint64_t bits = random();
    for (std::size_t i = 0; i < kSuffixLength; ++i, bits >>= 6)
      path_ += kLetters[bits % (sizeof kLetters - 1)];
    // Named before it exists, so that no moment is left where a killed
    // downloader leaves a file nobody knows of.
    if (record_ != nullptr)
      record_->remember(path_);
    fd_ = open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, FileMode());
    if (fd_ >= 0) {
      flock(fd_, LOCK_EX);  // marks the file as being written (see TemporaryFileRecord)
      return 0;
    }
    const int error = errno;
    if (record_ != nullptr)
      record_->forget(path_);  // no such folder, not writable, or somebody else's file
    if (error != EEXIST)
      return error;
  }
  return EEXIST;
}

int TemporaryFile::adopt(const std::string& path, std::int64_t keepBytes) {
  remove();
  fd_ = open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd_ < 0)
    return errno;
  // A part another transfer is writing is not taken.
  if (flock(fd_, LOCK_EX | LOCK_NB) != 0 || ftruncate(fd_, keepBytes) != 0 ||
      lseek(fd_, 0, SEEK_END) < 0) {
    const int error = errno;
    ::close(fd_);
    fd_ = -1;
    return error;
  }
  adopted_ = true;
  path_ = path;
  return 0;
}

int TemporaryFile::sync() {
  return fd_ >= 0 && fdatasync(fd_) != 0 ? errno : 0;
}

int TemporaryFile::write(const char* data, std::size_t size) {
  std::size_t written = 0;
  while (written < size) {
    const ssize_t n = ::write(fd_, data + written, size - written);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return n < 0 ? errno : ENOSPC;
    written += static_cast<std::size_t>(n);
  }
  return 0;
}

int TemporaryFile::moveTo(const std::string& path) {
  if (fd_ < 0)
    return EBADF;
  const int closed = ::close(fd_) == 0 ? 0 : errno;
  fd_ = -1;
  const int error = closed != 0 ? closed : rename(path_.c_str(), path.c_str()) == 0 ? 0 : errno;
  if (error != 0 && !adopted_)
    unlink(path_.c_str());
  if (record_ != nullptr && !adopted_)
    record_->forget(path_);
  adopted_ = false;
  return error;
}

void TemporaryFile::remove() {
  if (fd_ < 0)
    return;
  ::close(fd_);
  fd_ = -1;
  if (std::exchange(adopted_, false))
    return;
  unlink(path_.c_str());
  if (record_ != nullptr)
    record_->forget(path_);
}

std::string TemporaryFile::release() {
  if (fd_ < 0)
    return {};
  ::close(fd_);
  fd_ = -1;
  adopted_ = false;
  return std::move(path_);
}

}  // namespace harvel
