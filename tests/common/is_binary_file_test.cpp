#include "common/is_binary_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "temp_folder.h"

namespace harvel {
namespace {

using namespace std::string_literals;

std::size_t OpenDescriptors() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count;
}

TEST(IsBinaryFile, TwoZeroBytesInARowMakeAFileBinary) {
  test::TempFolder folder;
  EXPECT_EQ(IsBinaryFile(folder.write("a", "\x41\x00\x00\x41"s)), true);
  EXPECT_EQ(IsBinaryFile(folder.write("b", "\x41\x00\x41\x00"s)), false);
  EXPECT_EQ(IsBinaryFile(folder.write("c", "ab\0cd"s)), false);
  EXPECT_EQ(IsBinaryFile(folder.write("d", "\x41\x41\x41\x00\x00"s)), true);  // odd offset
  EXPECT_EQ(IsBinaryFile(folder.write("e", "plain text\r\n")), false);
}

TEST(IsBinaryFile, FindsAPairAcrossTheBlocksItReadsIn) {
  test::TempFolder folder;
  for (std::size_t first : {std::size_t{65535}, std::size_t{3 * 65536 - 1}}) {
    std::string bytes(4 * 65536, 'x');
    bytes[first] = '\0';
    bytes[first + 1] = '\0';
    EXPECT_EQ(IsBinaryFile(folder.write("big", bytes)), true) << first;
    bytes[first + 1] = 'x';
    EXPECT_EQ(IsBinaryFile(folder.write("big", bytes)), false) << first;
  }
}

TEST(IsBinaryFile, CannotTestAMissingOrEmptyFileAndCreatesNothing) {
  test::TempFolder folder;
  const std::size_t descriptors = OpenDescriptors();
  const std::string missing = folder.text() + "/missing.dat";
  EXPECT_EQ(IsBinaryFile(missing), std::nullopt);
  EXPECT_FALSE(std::filesystem::exists(missing));
  EXPECT_EQ(IsBinaryFile(folder.write("empty", "")), std::nullopt);
  EXPECT_EQ(IsBinaryFile(folder.text()), std::nullopt);  // a folder cannot be read
  const std::string pipe = folder.text() + "/pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(IsBinaryFile(pipe), std::nullopt);  // would block until someone writes
  EXPECT_EQ(OpenDescriptors(), descriptors);
}

}  // namespace
}  // namespace harvel
