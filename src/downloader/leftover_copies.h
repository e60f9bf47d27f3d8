#pragma once

#include <cstddef>
#include <ctime>
#include <map>
#include <set>
#include <string>

namespace harvel {

// Staged copies that a downloader killed before it could remove them left in
// a folder. The record of a downloader's files lies in its runtime folder,
// which a logout or a reboot may empty, so the names of the copies are also
// kept beside them, in a list of the folder's own (kListName). The first time
// a folder is used after, the copies it lists are removed when they are still
// there as left: a downloader's temporary name, a plain file of this user
// with one name, made before this downloader started and held by nobody. A
// file of the user's, or one a crawl saved under a similar name, is never
// named in the list and never touched.
class LeftoverCopies {
 public:
  // Not a temporary name itself, so that the list is never taken for a copy.
  static constexpr const char* kListName = ".VeskDownloader-list";

  LeftoverCopies();
  ~LeftoverCopies();
  LeftoverCopies(const LeftoverCopies&) = delete;
  LeftoverCopies& operator=(const LeftoverCopies&) = delete;

  // The copy at `path` now waits in `folder`: it is added to the list there.
  void copyKept(const std::string& folder, const std::string& path);
  // A copy of `folder` was moved into place or removed; the list goes with
  // the folder's last copy.
  void copyGone(const std::string& folder);
  // Removes what the list of `folder` names, the first time the folder is
  // used since this downloader started.
  void folderUsed(const std::string& folder);

 private:
  std::time_t started_;
  std::set<std::string> swept_;
  // A folder's list stays open while copies wait there: a copy kept costs one
  // write, not an open, a check and a close.
  struct Listing {
    std::size_t waiting = 0;  // copies listed
    int fd = -1;
  };
  std::map<std::string, Listing> listings_;
};

}  // namespace harvel
