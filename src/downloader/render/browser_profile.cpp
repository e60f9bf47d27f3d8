#include "downloader/render/browser_profile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string_view>

namespace harvel {
namespace {

constexpr std::string_view kPrefix = "harvel-browser-";

// The maker's process id in "harvel-browser-<pid>-XXXXXX"; 0 for any other name.
pid_t MakerOf(std::string_view name) {
  if (name.substr(0, kPrefix.size()) != kPrefix)
    return 0;
  name.remove_prefix(kPrefix.size());
  const auto dash = name.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash > 9 || name.size() != dash + 7)
    return 0;
  long pid = 0;
  for (char digit : name.substr(0, dash)) {
    if (digit < '0' || digit > '9')
      return 0;
    pid = pid * 10 + (digit - '0');
  }
  return static_cast<pid_t>(pid);
}

// A process that has ended but is not yet reaped (its parent may never wait
// for it) counts as ended.
bool IsLive(pid_t pid) {
  if (::kill(pid, 0) != 0 && errno != EPERM)
    return false;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line))
    return true;
  const auto close = line.rfind(')');
  return close == std::string::npos || close + 2 >= line.size() || line[close + 2] != 'Z';
}

}  // namespace

BrowserProfile::~BrowserProfile() {
  remove();
}

bool BrowserProfile::make(const std::filesystem::path& temp, std::string& error) {
  remove();
  std::string folder =
      (temp / (std::string(kPrefix) + std::to_string(::getpid()) + "-XXXXXX")).string();
  if (::mkdtemp(folder.data()) == nullptr) {  // made with mode 0700
    error = std::string("cannot make the browser's profile folder: ") + std::strerror(errno);
    return false;
  }
  const std::string lock = folder + "/" + kLockName;
  const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    error = std::string("cannot lock the browser's profile folder: ") + std::strerror(errno);
    if (fd >= 0)
      ::close(fd);
    std::error_code failed;
    std::filesystem::remove_all(folder, failed);
    return false;
  }
  path_ = std::move(folder);
  lockFd_ = fd;
  return true;
}

void BrowserProfile::remove() {
  if (!path_.empty()) {
    std::error_code failed;
    std::filesystem::remove_all(path_, failed);
    path_.clear();
  }
  if (lockFd_ >= 0) {
    ::close(lockFd_);
    lockFd_ = -1;
  }
}

int BrowserProfile::RemoveStale(const std::filesystem::path& temp) {
  int removed = 0;
  std::error_code failed;
  // Incremented without exceptions: a folder that changes meanwhile ends the sweep.
  for (std::filesystem::directory_iterator it(temp, failed), end; !failed && it != end;
       it.increment(failed)) {
    const std::filesystem::directory_entry& entry = *it;
    const pid_t maker = MakerOf(entry.path().filename().string());
    // A maker still alive may be making the folder, before it is locked.
    if (maker <= 0 || IsLive(maker))
      continue;
    struct stat info {};
    if (::lstat(entry.path().c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid())
      continue;
    const std::string lock = (entry.path() / kLockName).string();
    const int fd = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    // Without a lock file the maker ended between making the folder and its lock.
    if (fd < 0 && errno != ENOENT)
      continue;
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      continue;  // the browser's guardian still lives
    }
    std::error_code gone;
    if (std::filesystem::remove_all(entry.path(), gone) > 0 && !gone)
      ++removed;
    if (fd >= 0)
      ::close(fd);
  }
  return removed;
}

}  // namespace harvel
