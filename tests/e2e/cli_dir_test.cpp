// harvel-cli's --dir: a folder that does not exist yet is made, as mkdir -p
// makes it; one that cannot be made is a usage error.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "cli_process.h"
#include "downloader_process.h"
#include "temp_folder.h"
#include "test_site_server.h"

namespace harvel {
namespace {

namespace fs = std::filesystem;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

class CliDir : public ::testing::Test {
 protected:
  void SetUp() override {
    site_.routes().Get("/index.html", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<img src=\"a.gif\">", "text/html");
    });
    site_.routes().Get("/a.gif", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("GIF-a", "image/gif");
    });
    site_.start();
  }
  void TearDown() override {
    test::KillRunningDownloader();
    site_.stop();
  }
  test::CliRun crawlInto(const std::string& dir) const {
    return test::RunCli({"--verbose", "--dir", Q(dir), "T", Q(site_.url("/index.html")), "1"});
  }

  test::TempFolder dir_;
  test::TestSiteServer site_;
};

TEST_F(CliDir, AFolderNotThereYetIsMadeWithItsParentsAndSaidSo) {
  const std::string blogs = dir_.text() + "/Pictures/blogs";
  const auto run = crawlInto(blogs);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("harvel-cli: made the folder " + blogs + "\n"), std::string::npos)
      << run.out;
  EXPECT_EQ(test::ReadFile(blogs + "/T/a.gif"), "GIF-a");
  const mode_t mask = umask(0);
  umask(mask);
  struct stat info {};
  ASSERT_EQ(stat(blogs.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0777 & ~mask);
  // There now: nothing is said of it.
  const auto again = crawlInto(blogs);
  EXPECT_EQ(again.exitCode, 0) << again.err;
  EXPECT_EQ(again.out.find("made the folder"), std::string::npos) << again.out;
}

TEST_F(CliDir, AFolderThatCannotBeMadeIsAUsageError) {
  test::WriteFile(dir_.path() / "file", "mine");
  const auto throughFile = crawlInto(dir_.text() + "/file/blogs");
  EXPECT_EQ(throughFile.exitCode, 2);
  EXPECT_NE(throughFile.err.find("--dir " + dir_.text() + "/file/blogs: the folder cannot be made"),
            std::string::npos)
      << throughFile.err;
  EXPECT_EQ(test::ReadFile(dir_.path() / "file"), "mine");
  if (geteuid() == 0)
    GTEST_SKIP() << "the superuser makes folders in folders it may not write";
  fs::create_directory(dir_.path() / "locked");
  fs::permissions(dir_.path() / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  const auto locked = crawlInto(dir_.text() + "/locked/blogs");
  EXPECT_EQ(locked.exitCode, 2);
  EXPECT_NE(locked.err.find("cannot be made"), std::string::npos) << locked.err;
}

}  // namespace
}  // namespace harvel
