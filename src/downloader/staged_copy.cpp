#include "downloader/staged_copy.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace harvel {

StagedCopy::~StagedCopy() {
  remove();
}

int StagedCopy::moveTo(const std::string& path) {
  if (path_.empty())
    return EBADF;
  const int error = rename(path_.c_str(), path.c_str()) == 0 ? 0 : errno;
  if (error != 0)
    unlink(path_.c_str());
  if (record_ != nullptr)
    record_->forget(path_);
  path_.clear();
  return error;
}

void StagedCopy::remove() {
  if (path_.empty())
    return;
  unlink(path_.c_str());
  if (record_ != nullptr)
    record_->forget(path_);
  path_.clear();
}

}  // namespace harvel
