// The record as a file in a title's folder: where it lives, two programs using
// it at once, and every record that cannot be used as it stands.
#include "record/record_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "record/file_sha256.h"
#include "record/record_schema.h"
#include "temp_folder.h"

namespace harvel::test {
namespace {

class RecordFileTest : public ::testing::Test {
 protected:
  std::string title() const { return folder.file("title"); }
  std::string recordFile() const { return RecordFilePath(title()); }

  // A database at the record's place, made by `statements` run as they are.
  void plant(const std::vector<std::string>& statements) const {
    std::filesystem::create_directories(RecordFolderPath(title()));
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(recordFile().c_str(), &raw), SQLITE_OK);
    SqliteConnection db(raw);
    for (const std::string& statement : statements)
      ASSERT_EQ(db.exec(statement.c_str()), SQLITE_OK) << statement << ": " << db.errorText();
  }

  // Harvel's schema of this version, then `extra`.
  void plantHarvelSchema(const std::vector<std::string>& extra) const {
    {
      sqlite3* raw = nullptr;
      std::filesystem::create_directories(RecordFolderPath(title()));
      ASSERT_EQ(sqlite3_open(recordFile().c_str(), &raw), SQLITE_OK);
      SqliteConnection db(raw);
      ASSERT_TRUE(CreateSchema(db));
    }
    plant(extra);
  }

  static RecordedFile File(const std::string& url) {
    return RecordedFile{url, url, "x.jpg", 1, Sha256(url), "", "", 1, ""};
  }

  TempFolder folder;
};

TEST_F(RecordFileTest, LivesInTheTitlesHiddenFolderAndIsSharedByTwoOpenings) {
  RecordOpening first = OpenFolderRecord(title());
  ASSERT_TRUE(first.record) << first.message;
  EXPECT_EQ(first.problem, RecordProblem::None);
  EXPECT_TRUE(std::filesystem::is_regular_file(folder.path() / "title/.harvel/record.db"));

  // A second program opens the same record while the first holds it: each
  // sees what the other wrote.
  RecordOpening second = OpenFolderRecord(title());
  ASSERT_TRUE(second.record) << second.message;
  ASSERT_TRUE(first.record->addFile(File("http://h.test/1.jpg")));
  ASSERT_TRUE(second.record->addFile(File("http://h.test/2.jpg")));
  EXPECT_TRUE(second.record->file("http://h.test/1.jpg"));
  EXPECT_TRUE(first.record->file("http://h.test/2.jpg"));
  first.record.reset();
  second.record.reset();

  RecordOpening again = OpenFolderRecord(title());
  ASSERT_TRUE(again.record);
  EXPECT_TRUE(again.record->file("http://h.test/1.jpg"));
  EXPECT_TRUE(again.record->file("http://h.test/2.jpg"));
}

TEST_F(RecordFileTest, APlantedTriggerAndViewAreSetAsideNotObeyed) {
  // A record of someone else's: Harvel's tables, a trigger that would mark
  // every URL as collected, and a view of its own.
  plantHarvelSchema({
      "CREATE TRIGGER everything AFTER INSERT ON files BEGIN "
      "INSERT OR REPLACE INTO files SELECT 'http://h.test/' || value || '.jpg', '', 'x', 0, "
      "x'00', '', '', 0, NULL FROM json_each('[1,2,3]'); END",
      "CREATE VIEW collected AS SELECT url FROM files",
  });
  const std::string planted = ReadFile(recordFile());

  RecordOpening opening = OpenFolderRecord(title());
  ASSERT_TRUE(opening.record) << opening.message;
  EXPECT_EQ(opening.problem, RecordProblem::Foreign);
  EXPECT_NE(opening.message.find(opening.setAsidePath), std::string::npos);
  EXPECT_TRUE(ReadFile(opening.setAsidePath) == planted);  // kept whole
  EXPECT_EQ(std::filesystem::path(opening.setAsidePath).parent_path(),
            std::filesystem::path(RecordFolderPath(title())));

  ASSERT_TRUE(opening.record->addFile(File("http://h.test/0.jpg")));
  EXPECT_FALSE(opening.record->file("http://h.test/1.jpg"));
  opening.record.reset();
  EXPECT_EQ(OpenFolderRecord(title()).problem, RecordProblem::None);
}

TEST_F(RecordFileTest, ADamagedRecordIsSetAsideWholeAndANewOneBegins) {
  std::filesystem::create_directories(RecordFolderPath(title()));
  const std::string damaged = "SQLite format 3" + std::string(5000, '\x7f');
  WriteFile(recordFile(), damaged);

  RecordOpening opening = OpenFolderRecord(title());
  ASSERT_TRUE(opening.record) << opening.message;
  EXPECT_EQ(opening.problem, RecordProblem::Corrupt);
  EXPECT_TRUE(ReadFile(opening.setAsidePath) == damaged);
  EXPECT_NE(opening.setAsidePath.find("record.db.set-aside-"), std::string::npos);
  EXPECT_TRUE(opening.record->addFile(File("http://h.test/1.jpg")));
}

TEST_F(RecordFileTest, ARecordOfANewerHarvelIsLeftAlone) {
  plantHarvelSchema({"PRAGMA user_version = " + std::to_string(kRecordSchemaVersion + 1)});
  const std::string newer = ReadFile(recordFile());

  const RecordOpening opening = OpenFolderRecord(title());
  EXPECT_FALSE(opening.record);
  EXPECT_EQ(opening.problem, RecordProblem::Newer);
  EXPECT_NE(opening.message.find("newer Harvel"), std::string::npos);
  EXPECT_TRUE(ReadFile(recordFile()) == newer);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(RecordFolderPath(title())),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(RecordFileTest, ARecordThatCannotBeWrittenSafelyIsNotUsed) {
  const auto problem = [](const std::string& titleFolder) {
    return OpenFolderRecord(titleFolder).problem;
  };
  // .harvel leading elsewhere: nothing is made there.
  TempFolder elsewhere;
  std::filesystem::create_directories(title());
  std::filesystem::create_directory_symlink(elsewhere.path(), RecordFolderPath(title()));
  EXPECT_EQ(problem(title()), RecordProblem::SymbolicLink);
  EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path()));

  const std::string linkedFile = folder.file("linked-file");
  std::filesystem::create_directories(RecordFolderPath(linkedFile));
  std::filesystem::create_symlink(elsewhere.file("db"), RecordFilePath(linkedFile));
  EXPECT_EQ(problem(linkedFile), RecordProblem::SymbolicLink);
  EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path()));

  const std::string plainFile = folder.file("plain");
  WriteFile(RecordFolderPath(plainFile), "mine");
  const RecordOpening plain = OpenFolderRecord(plainFile);
  EXPECT_EQ(plain.problem, RecordProblem::NotAFolder);
  EXPECT_NE(plain.message.find("is not a folder"), std::string::npos);
  EXPECT_EQ(ReadFile(RecordFolderPath(plainFile)), "mine");

  if (geteuid() == 0) {
    // Root writes to read-only folders; it can give a record to another user.
    const std::string others = folder.file("others");
    std::filesystem::create_directories(RecordFolderPath(others));
    ASSERT_EQ(chown(RecordFolderPath(others).c_str(), 65534, 65534), 0);
    EXPECT_EQ(problem(others), RecordProblem::OtherUser);
  } else {
    const std::string readOnly = folder.file("read-only");
    std::filesystem::create_directories(readOnly);
    chmod(readOnly.c_str(), 0555);
    EXPECT_EQ(problem(readOnly), RecordProblem::Unwritable);
  }
}

TEST_F(RecordFileTest, ForgettingRemovesTheRecordAndNothingElse) {
  std::filesystem::create_directories(RecordFolderPath(title()));
  WriteFile(RecordFilePath(title()), "damaged");
  RecordOpening opening = OpenFolderRecord(title());  // the damaged one is set aside
  ASSERT_TRUE(opening.record);
  opening.record.reset();
  WriteFile(folder.file("title/a.jpg"), "picture");

  std::string error;
  EXPECT_EQ(ForgetFolderRecord(title(), error), ForgetResult::Forgotten);
  EXPECT_FALSE(std::filesystem::exists(recordFile()));
  EXPECT_TRUE(std::filesystem::exists(opening.setAsidePath));
  EXPECT_EQ(folder.read("title/a.jpg"), "picture");
  EXPECT_EQ(ForgetFolderRecord(title(), error), ForgetResult::NoRecord);
  EXPECT_EQ(ForgetFolderRecord(folder.file("never"), error), ForgetResult::NoRecord);

  TempFolder elsewhere;
  WriteFile(elsewhere.file(kRecordFileName), "not to be touched");
  const std::string linked = folder.file("linked");
  std::filesystem::create_directories(linked);
  std::filesystem::create_directory_symlink(elsewhere.path(), RecordFolderPath(linked));
  EXPECT_EQ(ForgetFolderRecord(linked, error), ForgetResult::Refused);
  EXPECT_NE(error.find("symbolic link"), std::string::npos);
  EXPECT_TRUE(elsewhere.exists(kRecordFileName));
}

}  // namespace
}  // namespace harvel::test
