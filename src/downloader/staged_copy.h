#pragma once

#include <string>

#include "downloader/temporary_file_record.h"

namespace harvel {

// A staged file whose transfer has ended: a hidden file in its folder, closed
// (no descriptor is held while it waits to be asked for) and named in the
// temporary-file record until it is moved to its name or removed. Removed
// when dropped.
class StagedCopy {
 public:
  StagedCopy(std::string path, TemporaryFileRecord* record)
      : path_(std::move(path)), record_(record) {}
  ~StagedCopy();  // remove()
  StagedCopy(const StagedCopy&) = delete;
  StagedCopy& operator=(const StagedCopy&) = delete;

  // Gives the copy the name `path`: 0, or the system's error number, and the
  // copy is removed.
  int moveTo(const std::string& path);
  void remove();
  const std::string& path() const { return path_; }

 private:
  std::string path_;  // empty once moved or removed
  TemporaryFileRecord* record_;
};

}  // namespace harvel
