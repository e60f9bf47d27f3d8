// The record of the temporary files under way: what a downloader that was
// killed leaves behind is removed by the next one, and nothing else.
#include "downloader/temporary_file_record.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST(TemporaryFileRecord, ARecordThatIsAnotherNameOfAUsersFileLeavesThatFileAsItWas) {
  test::TempFolder folder;
  const std::string photo = folder.write("photo.jpg", std::string(5000, 'p'));
  const std::string record = folder.file("VeskDownloaderFrm.writing");
  ASSERT_EQ(link(photo.c_str(), record.c_str()), 0);
  {
    TemporaryFileRecord next;
    ASSERT_TRUE(next.open(record));
    next.remember(folder.file(".VeskDownloader-eeeeee"));
  }
  EXPECT_EQ(folder.read("photo.jpg"), std::string(5000, 'p'));
  struct stat info {};
  ASSERT_EQ(stat(photo.c_str(), &info), 0);
  EXPECT_EQ(info.st_nlink, 1u);  // the record is a file of its own now
}

TEST(TemporaryFileRecord, ALongRunKeepsItsRecordSmallAndStillNamesWhatIsUnderWay) {
  test::TempFolder folder;
  const std::string record = folder.file("VeskDownloaderFrm.writing");
  const std::string padding(200, 'x');  // long folder names make the record grow fast
  const std::string left = folder.write(".VeskDownloader-ffffff", "half");
  TemporaryFileRecord killed;
  ASSERT_TRUE(killed.open(record));
  killed.remember(left);
  for (int i = 0; i < 20000; ++i) {
    const std::string path =
        folder.file(padding + "/.VeskDownloader-" + std::to_string(100000 + i));
    killed.remember(path);
    killed.forget(path);
  }
  struct stat info {};
  ASSERT_EQ(stat(record.c_str(), &info), 0);
  EXPECT_LT(info.st_size, 1 << 20) << "20,000 files came and went";

  TemporaryFileRecord next;
  ASSERT_TRUE(next.open(record));
  EXPECT_FALSE(folder.exists(".VeskDownloader-ffffff"));
}

TEST(TemporaryFileRecord, ARecordCutShortByAKillOrWrittenByAnOlderDownloaderIsRead) {
  test::TempFolder folder;
  const std::string record = folder.file("VeskDownloaderFrm.writing");
  const std::string older = folder.write(".VeskDownloader-gggggg", "half");
  const std::string made = folder.write(".VeskDownloader-hhhhhh", "half");
  folder.write(".VeskDownloader-iiiiii", "the user's, under a similar name");
  // An older downloader named each file whole; a kill may cut the last entry.
  const std::string entries =
      older + '\0' + "+" + made + '\0' + "+" + folder.file(".VeskDownloader-iiiiii");
  folder.write("VeskDownloaderFrm.writing", entries);
  chmod(record.c_str(), 0600);

  TemporaryFileRecord next;
  ASSERT_TRUE(next.open(record));
  EXPECT_FALSE(folder.exists(".VeskDownloader-gggggg"));
  EXPECT_FALSE(folder.exists(".VeskDownloader-hhhhhh"));
  EXPECT_TRUE(folder.exists(".VeskDownloader-iiiiii")) << "its entry was never finished";
}

}  // namespace
}  // namespace harvel
