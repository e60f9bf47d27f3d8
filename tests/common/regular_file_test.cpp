#include "common/regular_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "temp_folder.h"

namespace harvel {
namespace {

TEST(RegularFile, ReadsARegularFileToItsEndWithinALimit) {
  test::TempFolder folder;
  const std::string path = folder.write("a", "bytes");
  RegularFile file = RegularFile::Open(path);
  ASSERT_TRUE(file);
  EXPECT_EQ(file.status().st_size, 5);
  EXPECT_EQ(file.readAll(5), "bytes");
  EXPECT_EQ(RegularFile::Open(path).readAll(4), std::nullopt);
}

TEST(RegularFile, RefusesWhatIsNoRegularFileWithoutBlocking) {
  test::TempFolder folder;
  const std::string pipe = folder.file("pipe");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& path : {pipe, folder.text(), std::string("/dev/null")}) {
    const RegularFile file = RegularFile::Open(path);
    EXPECT_FALSE(file) << path;
    EXPECT_EQ(file.openError(), 0) << path;
  }
  EXPECT_EQ(RegularFile::Open(folder.file("missing")).openError(), ENOENT);
}

TEST(RegularFile, FollowsALinkOnlyWhenAskedTo) {
  test::TempFolder folder;
  const std::string target = folder.write("target", "x");
  std::filesystem::create_symlink(target, folder.file("link"));
  EXPECT_TRUE(RegularFile::Open(folder.file("link")));
  const RegularFile refused = RegularFile::Open(folder.file("link"), RegularFile::Links::Refuse);
  EXPECT_FALSE(refused);
  EXPECT_EQ(refused.openError(), ELOOP);
}

}  // namespace
}  // namespace harvel
