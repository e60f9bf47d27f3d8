// What the crawl is told of a file that landed in a folder with a record: a
// copy of a kept file, a numbered file beside an earlier one, and a record
// that fails to be written meanwhile.
#include "record/recorded_folders.h"

#include <gtest/gtest.h>

#include "record/file_sha256.h"
#include "record/record_schema.h"
#include "temp_folder.h"

namespace harvel::test {
namespace {

class RecordedFoldersTest : public ::testing::Test {
 protected:
  // The folder's record in memory, holding a.gif as landed from `kKeptUrl`.
  FolderRecord& adoptRecord() {
    std::string error;
    SqliteConnection db = OpenDefensively(":memory:", error);
    connection_ = db.get();
    EXPECT_TRUE(CreateSchema(db));
    auto record = std::make_unique<FolderRecord>(std::move(db));
    EXPECT_TRUE(record->addFile(
        RecordedFile{kKeptUrl, kKeptUrl, "a.gif", 8, Sha256("GIF89a a"), "", "", 1, ""}));
    FolderRecord& held = *record;
    folders_.adopt(folder_.text(), std::move(record));
    return held;
  }
  LandedVerdict land(const std::string& url, const std::string& name,
                     std::vector<std::string> earlier = {}) {
    return folders_.fileLanded(
        folder_.text(), LandedFile{url, url, folder_.file(name), "", "", std::move(earlier)});
  }

  static constexpr const char* kKeptUrl = "http://h.test/a.gif";
  TempFolder folder_;
  RecordedFolders folders_;
  sqlite3* connection_ = nullptr;
};

TEST_F(RecordedFoldersTest, ACopyIsRemovedBeforeItIsRecordedSoAFailedWriteLeavesNoSecondFile) {
  FolderRecord& record = adoptRecord();
  folder_.write("a.gif", "GIF89a a");
  folder_.write("same.gif", "GIF89a a");
  // Entries this long can no longer be written; reading goes on.
  const std::string longUrl = "http://h.test/" + std::string(200, 'x') + ".gif";
  sqlite3_limit(connection_, SQLITE_LIMIT_LENGTH, 100);
  EXPECT_EQ(land(longUrl, "same.gif").kind, LandedVerdict::Kind::Failed);
  EXPECT_FALSE(folders_.error().empty());
  EXPECT_FALSE(folder_.exists("same.gif"));
  EXPECT_EQ(folder_.read("a.gif"), "GIF89a a");
  EXPECT_FALSE(record.file(longUrl));
}

TEST_F(RecordedFoldersTest, ANumberedFileIsACopyOfAnEarlierOneByItsDigestNotItsSize) {
  adoptRecord();
  folder_.write("c.gif", "GIF89a X");  // the same size, other bytes
  folder_.write("c(1).gif", "GIF89a c");
  const LandedVerdict verdict = land("http://h.test/c.gif", "c(1).gif", {folder_.file("c.gif")});
  EXPECT_EQ(verdict.kind, LandedVerdict::Kind::Recorded);
  EXPECT_EQ(folder_.read("c(1).gif"), "GIF89a c");
  EXPECT_EQ(folder_.read("c.gif"), "GIF89a X");
  EXPECT_EQ(folders_.lookup(folder_.text(), "http://h.test/c.gif").localName, "c(1).gif");

  // The same bytes under the earlier name: the numbered one goes.
  folder_.write("d.gif", "GIF89a d");
  folder_.write("d(1).gif", "GIF89a d");
  const LandedVerdict copy = land("http://h.test/d.gif", "d(1).gif", {folder_.file("d.gif")});
  EXPECT_EQ(copy.kind, LandedVerdict::Kind::Copy);
  EXPECT_EQ(copy.keptPath, folder_.file("d.gif"));
  EXPECT_FALSE(folder_.exists("d(1).gif"));
}

}  // namespace
}  // namespace harvel::test
