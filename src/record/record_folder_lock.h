#pragma once

#include <string>

namespace harvel {

// Holds the record folder locked (flock on the folder itself) while a record
// is opened, moved aside or removed, so that two programs opening the same
// record do not both judge it and move it. The folder is not followed when it
// is a symbolic link.
class RecordFolderLock {
 public:
  // Waits at most `waitMs` for another holder.
  RecordFolderLock(const std::string& folder, int waitMs);
  ~RecordFolderLock();
  RecordFolderLock(const RecordFolderLock&) = delete;
  RecordFolderLock& operator=(const RecordFolderLock&) = delete;

  bool held() const { return held_; }
  // Why it is not held: the folder's error, or empty when the wait ran out.
  const std::string& error() const { return error_; }

 private:
  int fd_ = -1;
  bool held_ = false;
  std::string error_;
};

}  // namespace harvel
