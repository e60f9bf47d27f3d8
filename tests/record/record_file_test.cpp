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

  // A record that must belong to someone else than the folder's owner: what
  // any user can ask; the superuser can also give a record to another user.
  const std::string mine = folder.file("mine");
  ASSERT_TRUE(OpenFolderRecord(mine).record);
  const RecordOpening others = OpenFolderRecord(mine, geteuid() + 1);
  EXPECT_EQ(others.problem, RecordProblem::OtherUser);
  EXPECT_NE(others.message.find("belongs to another user"), std::string::npos);
  if (geteuid() == 0) {
    const std::string given = folder.file("given");
    std::filesystem::create_directories(RecordFolderPath(given));
    ASSERT_EQ(chown(RecordFolderPath(given).c_str(), 65534, 65534), 0);
    EXPECT_EQ(problem(given), RecordProblem::OtherUser);
  } else {  // root writes to read-only folders
    const std::string readOnly = folder.file("read-only");
    std::filesystem::create_directories(readOnly);
    chmod(readOnly.c_str(), 0555);
    EXPECT_EQ(problem(readOnly), RecordProblem::Unwritable);
  }
}

TEST_F(RecordFileTest, TheDefensiveOpeningFiresNoTrigger) {
  plant({"CREATE TABLE t (a)", "CREATE TABLE fired (a)",
         "CREATE TRIGGER planted AFTER INSERT ON t BEGIN INSERT INTO fired VALUES (1); END"});
  std::string error;
  SqliteConnection db = OpenDefensively(recordFile(), error);
  ASSERT_TRUE(db.get()) << error;
  ASSERT_EQ(db.exec("INSERT INTO t VALUES (1)"), SQLITE_OK) << db.errorText();
  EXPECT_EQ(db.number("SELECT count(*) FROM fired"), 0);
}

TEST_F(RecordFileTest, AFileOfTheRecordWithASecondNameIsRefusedAndNothingIsWritten) {
  const std::string victim = folder.write("victim.txt", std::string(5000, 't'));
  for (const char* companion : {"", "-wal", "-shm", "-journal"}) {
    const std::string titleFolder = folder.file(std::string("linked") + companion);
    std::filesystem::create_directories(RecordFolderPath(titleFolder));
    const std::string link = RecordFilePath(titleFolder) + companion;
    ASSERT_EQ(::link(victim.c_str(), link.c_str()), 0);
    const RecordOpening opening = OpenFolderRecord(titleFolder);
    EXPECT_FALSE(opening.record) << companion;
    EXPECT_EQ(opening.problem, RecordProblem::HardLink) << companion;
    EXPECT_NE(opening.message.find("more than one name"), std::string::npos) << opening.message;
    std::filesystem::remove(link);
  }
  EXPECT_EQ(ReadFile(victim), std::string(5000, 't'));
}

TEST_F(RecordFileTest, AJournalThatIsNotTheRecordsOwnIsSetAsideWithItUnread) {
  {
    RecordOpening opening = OpenFolderRecord(title());
    ASSERT_TRUE(opening.record);
    ASSERT_TRUE(opening.record->addFile(File("http://h.test/1.jpg")));
  }
  // A rollback journal that would bring back a file the record no longer
  // holds, made as SQLite makes one while a transaction is under way.
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(recordFile().c_str(), &raw), SQLITE_OK);
  SqliteConnection db(raw);
  ASSERT_EQ(db.exec("PRAGMA journal_mode = DELETE; PRAGMA synchronous = OFF; BEGIN; "
                    "DELETE FROM files"),
            SQLITE_OK);
  const std::string journal = ReadFile(recordFile() + "-journal");
  ASSERT_FALSE(journal.empty());
  ASSERT_EQ(db.exec("COMMIT"), SQLITE_OK);
  db.close();
  const std::string record = ReadFile(recordFile());
  WriteFile(recordFile() + "-journal", journal);

  RecordOpening opening = OpenFolderRecord(title());
  ASSERT_TRUE(opening.record) << opening.message;
  EXPECT_EQ(opening.problem, RecordProblem::Foreign);
  EXPECT_NE(opening.message.find("journal that was not its own"), std::string::npos);
  EXPECT_FALSE(opening.record->file("http://h.test/1.jpg"));
  EXPECT_TRUE(ReadFile(opening.setAsidePath + "-journal") == journal);
  EXPECT_TRUE(ReadFile(opening.setAsidePath) == record);  // not rolled back either
}

TEST_F(RecordFileTest, TheFoldersAboveTheRecordMayBeSymbolicLinks) {
  TempFolder disk;
  std::filesystem::create_directories(disk.path() / "Pictures");
  std::filesystem::create_directory_symlink(disk.path() / "Pictures", folder.path() / "Pictures");
  const std::string through = folder.file("Pictures/title");
  RecordOpening opening = OpenFolderRecord(through);
  ASSERT_TRUE(opening.record) << opening.message;
  ASSERT_TRUE(opening.record->addFile(File("http://h.test/1.jpg")));
  EXPECT_TRUE(std::filesystem::is_regular_file(disk.path() / "Pictures/title/.harvel/record.db"));
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
