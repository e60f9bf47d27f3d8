#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

#include "record/folder_record.h"

namespace harvel {

// The record of a title lives in the title's folder, in a hidden folder of its
// own: downloads are flat files, so none can take its name.
inline constexpr const char* kRecordFolderName = ".harvel";
inline constexpr const char* kRecordFileName = "record.db";

std::string RecordFolderPath(const std::string& titleFolder);
std::string RecordFilePath(const std::string& titleFolder);

// Why a record could not be used as it stood.
enum class RecordProblem {
  None,
  Corrupt,       // damaged or no database: moved aside, a new record began
  Foreign,       // not exactly Harvel's schema: moved aside, a new record began
  Newer,         // written by a later Harvel: left alone, not usable here
  SymbolicLink,  // .harvel or a file of the record is a symbolic link
  NotAFolder,    // .harvel is not a folder
  NotAFile,      // a file of the record is not an ordinary file
  OtherUser,     // .harvel or a file of the record belongs to another user
  HardLink,      // a file of the record has another name too
  Unwritable,    // it cannot be written: a read-only folder, a full disk ...
  Busy,          // another program held it for longer than the wait allows
};

struct RecordOpening {
  std::unique_ptr<FolderRecord> record;  // null when the record cannot be used
  RecordProblem problem = RecordProblem::None;
  std::string setAsidePath;  // where a corrupt or foreign record was moved
  std::string message;       // the problem in one sentence, in English
};

// Opens the record of `titleFolder`, making the folder (one level, as a crawl
// does), its record folder and a new record when they are missing. A record
// that is corrupt or not exactly Harvel's is moved aside whole under a dated
// name and a new one begins (record set, `problem` says why). A record folder
// or file that is a symbolic link, belongs to another user, is of the wrong
// kind or cannot be written, and a record of a newer Harvel, give no record.
// Opening waits for another program opening the same record.
// The folders above the title's folder, and the title's folder itself, may be
// reached through symbolic links. A file of the record with more than one
// name (a hard link) gives no record either, and a journal or log beside it
// that this Harvel did not leave (a rollback journal, or a write-ahead log
// beside a database that keeps none) is moved aside with the record unread.
RecordOpening OpenFolderRecord(const std::string& titleFolder);
// The same for a record that must belong to the user `owner` rather than to
// this program's user (tests).
RecordOpening OpenFolderRecord(const std::string& titleFolder, uid_t owner);

enum class ForgetResult { Forgotten, NoRecord, Refused };

// Removes the record of `titleFolder` and nothing else: no downloaded file,
// no record moved aside earlier. Refused (with `error`) for a record folder
// that is a symbolic link or another user's.
ForgetResult ForgetFolderRecord(const std::string& titleFolder, std::string& error);

}  // namespace harvel
