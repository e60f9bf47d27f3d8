#include "downloader/protocol/endpoint.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "scoped_env.h"
#include "temp_folder.h"

namespace harvel {
namespace {

using test::ScopedEnv;

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

TEST(DownloaderEndpoint, SaysWhyTheSocketFolderIsRefused) {
  ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
  const std::string name = "/harvel-" + std::to_string(getuid());
  const auto reason = [](const std::string& tmp) {
    ScopedEnv tmpdir("TMPDIR", tmp.c_str());
    std::string error;
    EXPECT_FALSE(DownloaderEndpoint(error)) << tmp;
    return error;
  };
  test::TempFolder linked;
  test::TempFolder target;
  std::filesystem::create_directory_symlink(target.path(), linked.text() + name);
  EXPECT_NE(reason(linked.text()).find("symbolic link"), std::string::npos);
  test::TempFolder plain;
  test::WriteFile(plain.text() + name, "");
  EXPECT_NE(reason(plain.text()).find("not a folder"), std::string::npos);
  test::TempFolder open;
  ASSERT_EQ(mkdir((open.text() + name).c_str(), 0700), 0);
  chmod((open.text() + name).c_str(), 0750);
  EXPECT_NE(reason(open.text()).find("entered by other users"), std::string::npos);
  if (getuid() == 0) {  // only root can give a folder to another user
    test::TempFolder others;
    ASSERT_EQ(mkdir((others.text() + name).c_str(), 0700), 0);
    ASSERT_EQ(chown((others.text() + name).c_str(), 65534, 65534), 0);
    EXPECT_NE(reason(others.text()).find("another user"), std::string::npos);
  }
  const std::string deep = std::string(150, 'd');
  test::TempFolder longer;
  std::filesystem::create_directories(longer.path() / deep);
  EXPECT_NE(reason(longer.text() + "/" + deep).find("too long"), std::string::npos);
}

}  // namespace
}  // namespace harvel
