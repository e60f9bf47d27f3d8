// Browser profile folders: a fresh private one per browser, and those that
// killed downloaders left behind removed without touching any still in use,
// another user's, or anything else in the temporary folder.
#include "downloader/render/browser_profile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "temp_folder.h"

namespace harvel {
namespace {

namespace fs = std::filesystem;

// The id of a process that has ended.
pid_t EndedProcess() {
  const pid_t child = ::fork();
  if (child == 0)
    ::_exit(0);
  int status = 0;
  ::waitpid(child, &status, 0);
  return child;
}

TEST(BrowserProfile, RemovesOnlyTheFoldersOfEndedDownloadersThatNobodyUses) {
  test::TempFolder temp;
  BrowserProfile inUse;
  std::string error;
  ASSERT_TRUE(inUse.make(temp.path(), error)) << error;
  struct stat info {};
  ASSERT_EQ(::stat(inUse.path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_NE(fs::path(inUse.path()).filename().string().find(std::to_string(::getpid())),
            std::string::npos);

  const std::string ended = "harvel-browser-" + std::to_string(EndedProcess());
  const auto folder = [&](const std::string& name, bool withLock) {
    fs::create_directory(temp.path() / name);
    temp.write(name + "/Default/Cookies", "kept by the browser");
    if (withLock)
      temp.write(name + "/" + BrowserProfile::kLockName, "");
    return temp.path() / name;
  };
  const fs::path stale = folder(ended + "-aaaaaa", true);
  const fs::path cutShort = folder(ended + "-bbbbbb", false);  // killed before its lock
  // A maker that has ended but was never reaped by its parent.
  const pid_t zombie = ::fork();
  if (zombie == 0)
    ::_exit(0);
  siginfo_t exited{};
  ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(zombie), &exited, WEXITED | WNOWAIT), 0);
  const fs::path unreaped = folder("harvel-browser-" + std::to_string(zombie) + "-ffffff", true);
  // Its maker is gone but its guardian still holds the lock.
  const fs::path guarded = folder(ended + "-cccccc", true);
  const int guard = ::open((guarded / BrowserProfile::kLockName).c_str(), O_RDONLY);
  ASSERT_GE(guard, 0);
  ASSERT_EQ(::flock(guard, LOCK_EX), 0);
  const fs::path otherNames[] = {folder("harvel-browser-aaaaaa", true),
                                 folder("harvel-browser-x1-aaaaaa", true),
                                 folder("other-" + ended.substr(15) + "-aaaaaa", true)};
  const fs::path target = folder("target", true);
  fs::create_directory_symlink(target, temp.path() / (ended + "-dddddd"));
  const fs::path foreign = folder(ended + "-eeeeee", true);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(foreign.c_str(), 54321, 54321), 0);
  }

  EXPECT_EQ(BrowserProfile::RemoveStale(temp.path()), root ? 3 : 4);
  int status = 0;
  ::waitpid(zombie, &status, 0);
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_FALSE(fs::exists(unreaped));
  EXPECT_FALSE(fs::exists(cutShort));
  EXPECT_TRUE(fs::exists(fs::path(inUse.path()) / BrowserProfile::kLockName));
  EXPECT_TRUE(fs::exists(guarded / "Default/Cookies"));
  for (const fs::path& other : otherNames)
    EXPECT_TRUE(fs::exists(other / "Default/Cookies")) << other;
  EXPECT_TRUE(fs::is_symlink(temp.path() / (ended + "-dddddd")));
  EXPECT_TRUE(fs::exists(target / "Default/Cookies"));
  EXPECT_EQ(fs::exists(foreign), root);

  // Once the guardian has gone too, its folder is stale.
  ::close(guard);
  EXPECT_EQ(BrowserProfile::RemoveStale(temp.path()), 1);
  EXPECT_FALSE(fs::exists(guarded));
  const std::string made = inUse.path();
  inUse.remove();
  EXPECT_FALSE(fs::exists(made));
}

}  // namespace
}  // namespace harvel
