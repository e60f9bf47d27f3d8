#include "crawl/name_claim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "crawl/sequential_name.h"

namespace harvel {
namespace {

// No download gets this mode: a program writing a file gives it 0666 less its
// umask, and nobody's umask takes away the owner's reading alone.
constexpr mode_t kClaimMode = S_IWUSR;

// The locked descriptor of the claim made at `path`, or -1.
int Claim(const std::string& path) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kClaimMode);
  if (fd >= 0) {
    fchmod(fd, kClaimMode);  // whatever the umask
    // Until it is locked the new file looks like a claim left behind, and
    // another crawl may have taken it so: then the name is that crawl's.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      close(fd);
      return -1;
    }
    return fd;
  }
  if (errno != EEXIST)
    return -1;
  // A claim left by a crawl that was killed: empty, of the claim's mode, ours
  // and held by nobody.
  fd = open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return -1;
  struct stat info {};
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size == 0 &&
      (info.st_mode & 07777) == kClaimMode && info.st_uid == geteuid() &&
      flock(fd, LOCK_EX | LOCK_NB) == 0) {
    return fd;
  }
  close(fd);
  return -1;
}

std::string NameOf(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}

}  // namespace

std::optional<NameClaim> NameClaim::Take(
    const std::string& plainFile, const std::string& preferred,
    const std::function<bool(const std::string& name)>& recorded) {
  const auto tryName = [&](const std::string& path) -> std::optional<NameClaim> {
    if (recorded && recorded(NameOf(path)))
      return std::nullopt;
    const int fd = Claim(path);
    if (fd < 0)
      return std::nullopt;
    return NameClaim(path, fd);
  };
  if (std::optional<NameClaim> claim = tryName(preferred))
    return claim;
  for (int number = 0; number <= kLastSequenceNumber; ++number) {
    const std::string path = number == 0 ? plainFile : NumberedName(plainFile, number);
    if (path == preferred)
      continue;
    if (std::optional<NameClaim> claim = tryName(path))
      return claim;
  }
  return std::nullopt;
}

NameClaim::NameClaim(NameClaim&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)) {}

NameClaim& NameClaim::operator=(NameClaim&& other) noexcept {
  if (this != &other) {
    release();
    path_ = std::move(other.path_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

NameClaim::~NameClaim() {
  release();
}

void NameClaim::release() {
  if (fd_ < 0)
    return;
  // Removed only while the name still holds the empty file made for it.
  struct stat held {};
  struct stat named {};
  if (fstat(fd_, &held) == 0 && lstat(path_.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
      held.st_dev == named.st_dev && named.st_size == 0) {
    unlink(path_.c_str());
  }
  close(fd_);
  fd_ = -1;
}

}  // namespace harvel
