#include "record/record_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <utility>

#include "record/partial_downloads.h"
#include "record/record_folder_lock.h"
#include "record/record_schema.h"

namespace harvel {
namespace {

// The database and the files SQLite keeps beside it.
constexpr const char* kCompanions[] = {"-wal", "-shm", "-journal"};

RecordOpening Problem(RecordProblem problem, std::string message) {
  RecordOpening opening;
  opening.problem = problem;
  opening.message = std::move(message);
  return opening;
}

std::string SystemError() {
  return std::strerror(errno);
}

// nullopt when `path` is missing; else a problem, or None for a fine entry.
std::optional<RecordOpening> CheckEntry(const std::string& path, bool folder, uid_t owner) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) {
    if (errno == ENOENT)
      return std::nullopt;
    return Problem(RecordProblem::Unwritable, path + " cannot be examined: " + SystemError());
  }
  if (S_ISLNK(info.st_mode))
    return Problem(RecordProblem::SymbolicLink, path + " is a symbolic link");
  if (folder && !S_ISDIR(info.st_mode))
    return Problem(RecordProblem::NotAFolder, path + " is not a folder");
  if (!folder && !S_ISREG(info.st_mode))
    return Problem(RecordProblem::NotAFile, path + " is not an ordinary file");
  if (info.st_uid != owner)
    return Problem(RecordProblem::OtherUser, path + " belongs to another user");
  // Written through another name, SQLite would write into that file too.
  if (!folder && info.st_nlink > 1)
    return Problem(RecordProblem::HardLink, path + " has more than one name (a hard link)");
  return RecordOpening{};
}

// The record folder, made when missing, and every file of the record checked.
std::optional<RecordOpening> CheckFiles(const std::string& titleFolder, uid_t owner) {
  const std::string folder = RecordFolderPath(titleFolder);
  std::optional<RecordOpening> entry = CheckEntry(folder, true, owner);
  if (!entry) {
    if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
      return Problem(RecordProblem::Unwritable,
                     "the record folder " + folder + " cannot be made: " + SystemError());
    }
    entry = CheckEntry(folder, true, owner);
  }
  if (entry && entry->problem != RecordProblem::None)
    return entry;
  if (access(folder.c_str(), W_OK | X_OK) != 0)
    return Problem(RecordProblem::Unwritable, folder + " cannot be written to: " + SystemError());
  const std::string file = RecordFilePath(titleFolder);
  for (const std::string& path :
       {file, file + kCompanions[0], file + kCompanions[1], file + kCompanions[2]}) {
    entry = CheckEntry(path, false, owner);
    if (entry && entry->problem != RecordProblem::None)
      return entry;
  }
  return std::nullopt;
}

bool Exists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

// A journal or log beside the record that SQLite would fold into it and that
// this Harvel did not leave: records keep a write-ahead log, so a rollback
// journal is never one of ours, nor a log beside a database that keeps none
// (or beside no database).
bool HoldsForeignLog(const std::string& file) {
  if (Exists(file + "-journal"))
    return true;
  if (!Exists(file + "-wal"))
    return false;
  unsigned char header[20] = {};
  const int fd = open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  const bool read = fd >= 0 && ::read(fd, header, sizeof header) == sizeof header;
  if (fd >= 0)
    close(fd);
  // Bytes 18 and 19 of a database header are 2 when it keeps a write-ahead log.
  return !read || header[18] != 2 || header[19] != 2;
}

std::string DatedName(const std::string& file) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  const std::string base = file + ".set-aside-" + stamp;
  std::string name = base;
  struct stat info {};
  for (int n = 2; lstat(name.c_str(), &info) == 0; ++n)
    name = base + "-" + std::to_string(n);
  return name;
}

// Moves the database and its companions aside whole; the dated name, or
// nullopt when the move failed.
std::optional<std::string> SetAside(const std::string& file) {
  const std::string aside = DatedName(file);
  if (rename(file.c_str(), aside.c_str()) != 0 && errno != ENOENT)
    return std::nullopt;
  for (const char* companion : kCompanions) {
    const std::string from = file + companion;
    if (Exists(from) && rename(from.c_str(), (aside + companion).c_str()) != 0)
      return std::nullopt;
  }
  return aside;
}

enum class Judged { Ready, Newer, Unusable, Busy };

// Judges the opened database inside a write transaction, making or bringing up
// the schema; `verdict` tells what it held.
Judged Judge(SqliteConnection& db, SchemaVerdict& verdict, std::string& error) {
  const int begun = db.exec("BEGIN IMMEDIATE");
  const int code = begun & 0xff;
  if (code == SQLITE_NOTADB || code == SQLITE_CORRUPT) {
    verdict = SchemaVerdict::Corrupt;
    return Judged::Ready;
  }
  if (begun != SQLITE_OK) {
    error = db.errorText();
    return code == SQLITE_BUSY ? Judged::Busy : Judged::Unusable;
  }
  std::int64_t version = 0;
  verdict = JudgeSchema(db, version);
  bool made = true;
  if (verdict == SchemaVerdict::Empty)
    made = CreateSchema(db);
  if (verdict == SchemaVerdict::Older)
    made = UpgradeSchema(db, version);
  if (!made || db.exec("COMMIT") != SQLITE_OK) {
    error = db.errorText();
    db.exec("ROLLBACK");
    return Judged::Unusable;
  }
  return verdict == SchemaVerdict::Newer ? Judged::Newer : Judged::Ready;
}

// Opens the database at `file`: nullopt and `opening` set when it cannot be
// used; `verdict` set when it was opened.
std::optional<SqliteConnection> OpenJudged(const std::string& file, SchemaVerdict& verdict,
                                           RecordOpening& opening) {
  std::string error;
  SqliteConnection db = OpenDefensively(file, error);
  if (db.get() == nullptr) {
    opening = Problem(RecordProblem::Unwritable, file + " cannot be opened: " + error);
    return std::nullopt;
  }
  if (sqlite3_db_readonly(db.get(), "main") == 1) {
    opening = Problem(RecordProblem::Unwritable, file + " cannot be written to");
    return std::nullopt;
  }
  switch (Judge(db, verdict, error)) {
    case Judged::Ready:
      return db;
    case Judged::Newer:
      opening = Problem(RecordProblem::Newer, file + " was written by a newer Harvel");
      return std::nullopt;
    case Judged::Busy:
      opening = Problem(RecordProblem::Busy, file + " is held by another program: " + error);
      return std::nullopt;
    case Judged::Unusable:
      break;
  }
  opening = Problem(RecordProblem::Unwritable, file + " cannot be written to: " + error);
  return std::nullopt;
}

}  // namespace

std::string RecordFolderPath(const std::string& titleFolder) {
  return titleFolder + "/" + kRecordFolderName;
}

std::string RecordFilePath(const std::string& titleFolder) {
  return RecordFolderPath(titleFolder) + "/" + kRecordFileName;
}

RecordOpening OpenFolderRecord(const std::string& titleFolder) {
  return OpenFolderRecord(titleFolder, geteuid());
}

RecordOpening OpenFolderRecord(const std::string& givenFolder, uid_t owner) {
  if (mkdir(givenFolder.c_str(), 0777) != 0 && errno != EEXIST) {
    return Problem(RecordProblem::Unwritable,
                   "the folder " + givenFolder + " cannot be made: " + SystemError());
  }
  // SQLite refuses a path through any symbolic link: it is given the folder's
  // real path, and only what lies below is checked not to be a link.
  char* real = realpath(givenFolder.c_str(), nullptr);
  if (real == nullptr) {
    return Problem(RecordProblem::Unwritable,
                   "the folder " + givenFolder + " cannot be reached: " + SystemError());
  }
  const std::string titleFolder(real);
  std::free(real);
  if (std::optional<RecordOpening> problem = CheckFiles(titleFolder, owner))
    return std::move(*problem);
  const std::string folder = RecordFolderPath(titleFolder);
  const RecordFolderLock lock(folder, kRecordBusyTimeoutMs);
  if (!lock.held()) {
    if (lock.error().empty())
      return Problem(RecordProblem::Busy, folder + " is held by another program");
    return Problem(RecordProblem::Unwritable, folder + " cannot be used: " + lock.error());
  }
  // Checked again now that no other program is opening it.
  if (std::optional<RecordOpening> problem = CheckFiles(titleFolder, owner))
    return std::move(*problem);

  const std::string file = RecordFilePath(titleFolder);
  RecordOpening opening;
  if (HoldsForeignLog(file)) {
    const std::optional<std::string> aside = SetAside(file);
    if (!aside) {
      return Problem(
          RecordProblem::Unwritable,
          file + " has a journal that is not its own and cannot be moved aside: " + SystemError());
    }
    opening.problem = RecordProblem::Foreign;
    opening.setAsidePath = *aside;
    opening.message = file + " had a journal that was not its own; both were moved to " + *aside +
                      " and a new record begins";
  }
  SchemaVerdict verdict = SchemaVerdict::Empty;
  std::optional<SqliteConnection> db = OpenJudged(file, verdict, opening);
  if (!db)
    return opening;
  if (verdict == SchemaVerdict::Corrupt || verdict == SchemaVerdict::Foreign) {
    // Closed without folding its log into it: the file is moved as it was.
    sqlite3_db_config(db->get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    db->close();
    const std::optional<std::string> aside = SetAside(file);
    if (!aside) {
      return Problem(RecordProblem::Unwritable,
                     file + " cannot be used and cannot be moved aside: " + SystemError());
    }
    opening.problem =
        verdict == SchemaVerdict::Corrupt ? RecordProblem::Corrupt : RecordProblem::Foreign;
    opening.setAsidePath = *aside;
    opening.message =
        file + (verdict == SchemaVerdict::Corrupt ? " was damaged" : " was not Harvel's record") +
        "; it was moved to " + *aside + " and a new record begins";
    RecordOpening fresh;
    db = OpenJudged(file, verdict, fresh);
    if (!db)
      return fresh;
    if (verdict != SchemaVerdict::Empty)
      return Problem(RecordProblem::Unwritable, file + " could not be made afresh");
  }
  // Another crawl may read while one writes; a commit waits for no disk flush,
  // and a killed program loses nothing it committed.
  db->exec("PRAGMA journal_mode = WAL");
  db->exec("PRAGMA synchronous = NORMAL");
  opening.record = std::make_unique<FolderRecord>(std::move(*db));
  if (!opening.record->ok())
    return Problem(RecordProblem::Unwritable, opening.record->error());
  return opening;
}

ForgetResult ForgetFolderRecord(const std::string& titleFolder, std::string& error) {
  const std::string folder = RecordFolderPath(titleFolder);
  const std::optional<RecordOpening> entry = CheckEntry(folder, true, geteuid());
  if (!entry || entry->problem == RecordProblem::NotAFolder)
    return ForgetResult::NoRecord;
  if (entry->problem != RecordProblem::None) {
    error = entry->message;
    return ForgetResult::Refused;
  }
  const RecordFolderLock lock(folder, kRecordBusyTimeoutMs);
  if (!lock.held()) {
    error = folder + " is held by another program";
    return ForgetResult::Refused;
  }
  const std::string file = RecordFilePath(titleFolder);
  bool removed = false;
  for (const std::string& path :
       {file, file + kCompanions[0], file + kCompanions[1], file + kCompanions[2]}) {
    if (unlink(path.c_str()) == 0) {
      removed = true;
    } else if (errno != ENOENT) {
      error = path + " cannot be removed: " + SystemError();
      return ForgetResult::Refused;
    }
  }
  RemoveAllParts(titleFolder);
  rmdir(folder.c_str());  // kept when records moved aside lie in it
  return removed ? ForgetResult::Forgotten : ForgetResult::NoRecord;
}

}  // namespace harvel
