#include "record/partial_downloads.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "record/record_file.h"

namespace harvel {
namespace {

// Removes each entry of the partial folder of `titleFolder` that `old` picks.
template <typename Old>
void RemoveParts(const std::string& titleFolder, Old old) {
  const std::string folder = PartialFolderPath(titleFolder);
  struct stat info {};
  if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid())
    return;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (lstat(entry.path().c_str(), &info) == 0 && !S_ISDIR(info.st_mode) && old(info))
      unlink(entry.path().c_str());
  }
}

}  // namespace

std::string PartialFolderPath(const std::string& titleFolder) {
  return RecordFolderPath(titleFolder) + "/" + kPartialFolderName;
}

void RemoveOldParts(const std::string& titleFolder, std::chrono::system_clock::time_point before) {
  const std::time_t limit = std::chrono::system_clock::to_time_t(before);
  RemoveParts(titleFolder, [limit](const struct stat& info) { return info.st_mtime < limit; });
}

void RemoveAllParts(const std::string& titleFolder) {
  RemoveParts(titleFolder, [](const struct stat&) { return true; });
  rmdir(PartialFolderPath(titleFolder).c_str());
}

}  // namespace harvel
