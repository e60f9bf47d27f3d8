#include "downloader/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace harvel {

InstanceLock::~InstanceLock() {
  if (fd_ >= 0)
    close(fd_);
}

bool InstanceLock::tryLock(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0)
    return false;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return false;
  }
  const std::string pid = std::to_string(getpid()) + "\n";
  if (ftruncate(fd, 0) != 0 || write(fd, pid.data(), pid.size()) < 0) {
    // The id is for people and tests; the lock holds without it.
  }
  fd_ = fd;
  return true;
}

}  // namespace harvel
