#pragma once

#include <string>

namespace harvel {

// Makes sure only one VeskDownloader serves a socket. The lock is the kernel's
// (flock on `<socket>.lock`), so it goes with the process however that ends,
// also when it is killed; a new downloader can then take over at once. The file
// holds the owner's process id.
class InstanceLock {
 public:
  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // False when another process holds the lock or the file cannot be made.
  bool tryLock(const std::string& path);

 private:
  int fd_ = -1;
};

}  // namespace harvel
