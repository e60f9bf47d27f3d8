#include "downloader/protocol/endpoint.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "temp_folder.h"

namespace harvel {
namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = getenv(name))
      old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(DownloaderEndpoint, UsesThePrivateRuntimeFolder) {
  test::TempFolder runtime;
  ScopedEnv env("XDG_RUNTIME_DIR", runtime.text().c_str());
  std::string error;
  EXPECT_EQ(DownloaderEndpoint(error), runtime.text() + "/VeskDownloaderFrm") << error;
}

TEST(DownloaderEndpoint, WithoutARuntimeFolderMakesAPrivateOneInTheTempFolder) {
  test::TempFolder tmp;
  ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
  ScopedEnv tmpdir("TMPDIR", tmp.text().c_str());
  std::string error;
  const std::string folder = tmp.text() + "/harvel-" + std::to_string(getuid());
  EXPECT_EQ(DownloaderEndpoint(error), folder + "/VeskDownloaderFrm") << error;
  struct stat info {};
  ASSERT_EQ(stat(folder.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(DownloaderEndpoint, ARuntimeFolderOthersCanEnterIsNotUsed) {
  test::TempFolder open;
  chmod(open.text().c_str(), 0755);
  test::TempFolder tmp;
  ScopedEnv runtime("XDG_RUNTIME_DIR", open.text().c_str());
  ScopedEnv tmpdir("TMPDIR", tmp.text().c_str());
  std::string error;
  const auto endpoint = DownloaderEndpoint(error);
  ASSERT_TRUE(endpoint) << error;
  EXPECT_EQ(endpoint->rfind(tmp.text(), 0), 0u) << *endpoint;
}

TEST(DownloaderEndpoint, RefusesATempFolderThatOthersCanEnter) {
  test::TempFolder tmp;
  ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
  ScopedEnv tmpdir("TMPDIR", tmp.text().c_str());
  const std::string folder = tmp.text() + "/harvel-" + std::to_string(getuid());
  ASSERT_EQ(mkdir(folder.c_str(), 0777), 0);
  chmod(folder.c_str(), 0777);
  std::string error;
  EXPECT_FALSE(DownloaderEndpoint(error));
  EXPECT_NE(error.find(folder), std::string::npos) << error;
}

}  // namespace
}  // namespace harvel
