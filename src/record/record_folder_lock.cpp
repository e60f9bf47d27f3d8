#include "record/record_folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace harvel {

RecordFolderLock::RecordFolderLock(const std::string& folder, int waitMs) {
  fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd_ < 0) {
    error_ = std::strerror(errno);
    return;
  }
  // A holder keeps the lock for the few milliseconds an opening takes, so a
  // short sleep between tries costs nothing and the wait cannot hang.
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
      held_ = true;
      return;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) {
      error_ = std::strerror(errno);
      return;
    }
    if (std::chrono::steady_clock::now() >= until)
      return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

RecordFolderLock::~RecordFolderLock() {
  if (fd_ >= 0)
    close(fd_);  // closing drops the lock
}

}  // namespace harvel
