#pragma once

#include <filesystem>
#include <string>

namespace harvel {

// A browser's fresh, empty profile folder (mode 0700) in the temporary
// folder, removed with remove() or the destructor.
//
// Its name holds the process id of the program that made it
// ("harvel-browser-<pid>-XXXXXX"), and a lock file in it stays locked for as
// long as that program or a process started from it without exec (the
// browser's guardian) lives. So a folder that a killed program left behind
// can be told from one in use: RemoveStale() removes those of ours whose
// maker is gone and whose lock nobody holds.
class BrowserProfile {
 public:
  BrowserProfile() = default;
  ~BrowserProfile();  // remove()
  BrowserProfile(const BrowserProfile&) = delete;
  BrowserProfile& operator=(const BrowserProfile&) = delete;

  // Makes and locks a new folder in `temp` (an earlier one is removed first).
  // False with `error` set when it cannot be made.
  bool make(const std::filesystem::path& temp, std::string& error);
  const std::string& path() const { return path_; }

  // Removes the folder with everything in it, then lets go of its lock.
  void remove();

  // Removes the profile folders in `temp` left behind by programs that have
  // ended: only folders (no links) of this user with our name, whose maker's
  // process id is no live process and whose lock is free. A folder of a
  // program still running, of another user or of a second downloader in use
  // is never touched. Returns how many were removed.
  static int RemoveStale(const std::filesystem::path& temp);

  // The file in a profile folder that is kept locked while it is used.
  static constexpr const char* kLockName = "harvel.lock";

 private:
  std::string path_;
  int lockFd_ = -1;
};

}  // namespace harvel
