#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "common/path_text.h"
#include "list_file/list_file.h"
#include "temp_folder.h"

namespace harvel {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

const std::vector<CrawlTarget> kRows = {{"title", "http://example.com/", "3"}};

// The names in `folder`, to see that nothing was left behind.
std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ListFileFailure, EmptyNameLoadsAndWritesNothing) {
  const fs::path here = fs::current_path();
  const std::vector<std::string> before = Names(here);
  std::vector<CrawlTarget> rows = kRows;
  EXPECT_FALSE(LoadListFile("", rows));
  EXPECT_EQ(rows, kRows);
  EXPECT_FALSE(SaveListFile("", kRows));
  EXPECT_EQ(Names(here), before);
}

TEST(ListFileFailure, ASaveCutOffPartWayKeepsTheOldFileWhole) {
  test::TempFolder folder;
  const fs::path file = folder.path() / "list.hvl";
  ASSERT_TRUE(SaveListFile(file.string(), kRows));
  const std::string before = ReadFile(file);
  // Far more rows than the file-size limit below lets through.
  const std::vector<CrawlTarget> many(500, CrawlTarget{"title", "http://example.com/", "3"});

  // The limit is set in a child process, so that this one keeps writing freely.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending the process
    const rlimit limit{4096, 4096};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
      _exit(3);
    _exit(SaveListFile(file.string(), many) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the cut-off save must report its failure";
  EXPECT_EQ(ReadFile(file), before);
  EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"list.hvl"});
}

TEST(ListFileFailure, AFileThatCannotBeReadAddsNothing) {
  test::TempFolder folder;
  std::vector<CrawlTarget> rows = kRows;
  EXPECT_FALSE(LoadListFile(folder.file("missing.hvl"), rows));
  EXPECT_FALSE(LoadListFile(folder.path().string(), rows));  // a folder
  EXPECT_EQ(rows, kRows);
}

TEST(ListFileFailure, ASaveThatCannotWriteReturnsFalse) {
  test::TempFolder folder;
  folder.write("plain", "x");
  EXPECT_FALSE(SaveListFile(folder.file("no such folder/list.hvl"), kRows));
  EXPECT_FALSE(SaveListFile(folder.file("plain/list.hvl"), kRows));  // under a file
  fs::create_directory(folder.path() / "a folder");
  EXPECT_FALSE(SaveListFile(folder.file("a folder"), kRows));
  EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{"a folder", "plain"}));
  EXPECT_TRUE(fs::is_empty(folder.path() / "a folder"));
}

TEST(ListFileFailure, AFileInAFolderThatCannotBeWrittenStaysAsItWas) {
  // /proc is readable but takes no new files, not even from root.
  const std::string version = "/proc/version";
  if (!fs::exists(version))
    GTEST_SKIP() << "no /proc here";
  const std::string before = ReadFile(PathFromText(version));
  EXPECT_FALSE(SaveListFile(version, kRows));
  EXPECT_EQ(ReadFile(PathFromText(version)), before);
}

TEST(ListFileFailure, AReadOnlyFileStaysAsItWas) {
  test::TempFolder folder;
  const std::string path = folder.file("list.hvl");
  WriteFile(PathFromText(path), "[setting]\r\ncount=0\r\n");
  fs::permissions(path, fs::perms::owner_read);
  if (access(path.c_str(), W_OK) == 0)
    GTEST_SKIP() << "this user may write any file";
  EXPECT_FALSE(SaveListFile(path, kRows));
  EXPECT_EQ(ReadFile(PathFromText(path)), "[setting]\r\ncount=0\r\n");
  EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{"list.hvl"}));
}

TEST(ListFileFailure, TooManyRowsToLoadAgainAreNotSaved) {
  test::TempFolder folder;
  const std::string path = folder.file("list.hvl");
  WriteFile(PathFromText(path), "[setting]\r\ncount=0\r\n");
  const std::vector<CrawlTarget> rows(32768, kRows[0]);
  EXPECT_FALSE(SaveListFile(path, rows));
  EXPECT_EQ(ReadFile(PathFromText(path)), "[setting]\r\ncount=0\r\n");
}

TEST(ListFileFailure, ASaveLeavesNoTemporaryFileAndKeepsPermissions) {
  test::TempFolder folder;
  const std::string path = folder.file("list.hvl");
  WriteFile(PathFromText(path), "");
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(SaveListFile(path, kRows));
  EXPECT_EQ(fs::status(path).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{"list.hvl"}));
}

TEST(ListFileFailure, ASaveThroughALinkWritesTheFileItNames) {
  test::TempFolder folder;
  fs::create_directory(folder.path() / "real");
  folder.write("real/list.hvl", "; mine\r\n");
  fs::create_symlink("real/list.hvl", folder.path() / "link.hvl");
  ASSERT_TRUE(SaveListFile(folder.file("link.hvl"), kRows));
  EXPECT_TRUE(fs::is_symlink(folder.path() / "link.hvl"));
  EXPECT_EQ(folder.read("real/list.hvl").substr(0, 8), "; mine\r\n");
  std::vector<CrawlTarget> rows;
  EXPECT_TRUE(LoadListFile(folder.file("link.hvl"), rows));
  EXPECT_EQ(rows, kRows);
}

TEST(ListFileFailure, JapaneseFileNamesWork) {
  test::TempFolder folder;
  const std::string path = folder.file("リスト.hvl");
  ASSERT_TRUE(SaveListFile(path, kRows));
  std::vector<CrawlTarget> rows;
  EXPECT_TRUE(LoadListFile(path, rows));
  EXPECT_EQ(rows, kRows);
}

}  // namespace
}  // namespace harvel
