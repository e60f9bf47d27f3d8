#include "common/regular_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace harvel {

RegularFile RegularFile::Open(const std::filesystem::path& path, Links links) {
  RegularFile file;
  int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  if (links == Links::Refuse)
    flags |= O_NOFOLLOW;
  const int fd = ::open(path.c_str(), flags);
  if (fd < 0) {
    file.error_ = errno;
    return file;
  }
  if (fstat(fd, &file.status_) != 0) {
    file.error_ = errno;
    close(fd);
    return file;
  }
  if (!S_ISREG(file.status_.st_mode)) {
    file.error_ = 0;
    close(fd);
    return file;
  }
  // A regular file never blocks a read; the flag only kept the open short.
  // F_SETFL takes only the status flags, and O_NONBLOCK was the one set.
  fcntl(fd, F_SETFL, 0);
  file.fd_ = fd;
  return file;
}

RegularFile::RegularFile(RegularFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), error_(other.error_), status_(other.status_) {}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0)
      close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    error_ = other.error_;
    status_ = other.status_;
  }
  return *this;
}

RegularFile::~RegularFile() {
  if (fd_ >= 0)
    close(fd_);
}

std::optional<std::size_t> RegularFile::read(char* into, std::size_t size) {
  while (true) {
    const ssize_t n = ::read(fd_, into, size);
    if (n >= 0)
      return static_cast<std::size_t>(n);
    if (errno != EINTR)
      return std::nullopt;
  }
}

std::optional<std::string> RegularFile::readAll(std::uintmax_t limit) {
  std::string bytes;
  if (status_.st_size > 0)
    bytes.reserve(static_cast<std::size_t>(
        std::min<std::uintmax_t>(static_cast<std::uintmax_t>(status_.st_size), limit)));
  char block[1 << 16];
  while (true) {
    const std::optional<std::size_t> n = read(block, sizeof block);
    if (!n)
      return std::nullopt;
    if (*n == 0)
      return bytes;
    if (bytes.size() + *n > limit)
      return std::nullopt;
    bytes.append(block, *n);
  }
}

}  // namespace harvel
