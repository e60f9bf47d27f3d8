// The record of the temporary files under way: what a downloader that was
// killed leaves behind is removed by the next one, and nothing else.
#include "downloader/temporary_file_record.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace harvel {
namespace {

TEST(TemporaryFileRecord, TheNextDownloaderRemovesEveryFileTheKilledOneWasWriting) {
  test::TempFolder folder;
  const std::string record = folder.file("VeskDownloaderFrm.writing");
  const std::string first = folder.write(".VeskDownloader-aaaaaa", "half");
  const std::string second = folder.write(".VeskDownloader-bbbbbb", "half");
  const std::string finished = folder.write(".VeskDownloader-cccccc", "kept by the user");
  // A downloader with three transfers under way, one of which has ended; it is
  // killed now: its record stays as it is while the next downloader starts.
  TemporaryFileRecord killed;
  ASSERT_TRUE(killed.open(record));
  killed.remember(first);
  killed.remember(finished);
  killed.remember(second);
  killed.forget(finished);

  TemporaryFileRecord next;
  ASSERT_TRUE(next.open(record));
  EXPECT_FALSE(folder.exists(".VeskDownloader-aaaaaa"));
  EXPECT_FALSE(folder.exists(".VeskDownloader-bbbbbb"));
  EXPECT_TRUE(folder.exists(".VeskDownloader-cccccc"));
}

TEST(TemporaryFileRecord, AFileThatWasForgottenOrIsNotATemporaryFileStays) {
  test::TempFolder folder;
  const std::string record = folder.file("VeskDownloaderFrm.writing");
  const std::string landed = folder.write(".VeskDownloader-dddddd", "renamed into place");
  const std::string users = folder.write("photo.jpg", "a user's file");
  TemporaryFileRecord killed;
  ASSERT_TRUE(killed.open(record));
  killed.remember(landed);
  killed.forget(landed);
  killed.remember(users);  // a name no temporary file has

  TemporaryFileRecord next;
  ASSERT_TRUE(next.open(record));
  EXPECT_TRUE(folder.exists(".VeskDownloader-dddddd"));
  EXPECT_TRUE(folder.exists("photo.jpg"));
}

}  // namespace
}  // namespace harvel
