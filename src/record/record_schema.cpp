#include "record/record_schema.h"

#include <array>
#include <string>
#include <tuple>
#include <vector>

namespace harvel {
namespace {

// The statements that make each version's schema, oldest first. Their text is
// what the schema table holds afterwards, and the check compares it exactly.
// A new version adds its list here and its steps to kUpgrades.
const std::vector<std::vector<const char*>> kSchemas = {
    // version 1
    {
        // final_url is empty when it is the URL itself; copy_of is the URL of
        // the file a copy repeats.
        "CREATE TABLE files (id INTEGER PRIMARY KEY, url TEXT NOT NULL UNIQUE, "
        "final_url TEXT NOT NULL, local_name TEXT NOT NULL, size INTEGER NOT NULL, "
        "sha256 BLOB NOT NULL, etag TEXT NOT NULL, last_modified TEXT NOT NULL, "
        "landed_at INTEGER NOT NULL, copy_of TEXT)",
        "CREATE INDEX files_by_sha256 ON files (sha256)",
        "CREATE INDEX files_by_local_name ON files (local_name)",
        "CREATE TABLE pages (url TEXT PRIMARY KEY NOT NULL, final_url TEXT NOT NULL, "
        "etag TEXT NOT NULL, last_modified TEXT NOT NULL, read_at INTEGER NOT NULL, "
        "reader TEXT NOT NULL, links BLOB NOT NULL) WITHOUT ROWID",
    },
};

// The steps from version N to N + 1, at index N - 1.
const std::vector<std::vector<const char*>> kUpgrades = {};

using SchemaRow = std::tuple<std::string, std::string, std::string, std::string>;

// Every entry of the schema table: type, name, table, statement.
std::optional<std::vector<SchemaRow>> SchemaRows(sqlite3* db) {
  Statement rows(db, "SELECT type, name, tbl_name, sql FROM sqlite_schema ORDER BY type, name");
  if (!rows.prepared())
    return std::nullopt;
  std::vector<SchemaRow> result;
  int step = SQLITE_ROW;
  while ((step = rows.step()) == SQLITE_ROW)
    result.emplace_back(rows.text(0), rows.text(1), rows.text(2), rows.text(3));
  if (step != SQLITE_DONE)
    return std::nullopt;
  return result;
}

// What the schema table of a version looks like: made once in memory.
std::vector<SchemaRow> ExpectedRows(std::int64_t version) {
  sqlite3* raw = nullptr;
  sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  SqliteConnection db(raw);
  for (const char* statement : kSchemas[static_cast<std::size_t>(version - 1)])
    db.exec(statement);
  return SchemaRows(db.get()).value_or(std::vector<SchemaRow>{});
}

bool RunAll(SqliteConnection& db, const std::vector<const char*>& statements) {
  for (const char* statement : statements) {
    if (db.exec(statement) != SQLITE_OK)
      return false;
  }
  return true;
}

bool SetVersion(SqliteConnection& db, std::int64_t version) {
  const std::string pragma = "PRAGMA user_version = " + std::to_string(version);
  return db.exec(pragma.c_str()) == SQLITE_OK;
}

}  // namespace

SchemaVerdict JudgeSchema(SqliteConnection& db, std::int64_t& version) {
  const std::optional<std::vector<SchemaRow>> rows = SchemaRows(db.get());
  const std::optional<std::int64_t> id = db.number("PRAGMA application_id");
  const std::optional<std::int64_t> userVersion = db.number("PRAGMA user_version");
  if (!rows || !id || !userVersion)
    return SchemaVerdict::Corrupt;
  version = *userVersion;
  if (rows->empty() && *id == 0 && version == 0)
    return SchemaVerdict::Empty;
  if (*id != kRecordApplicationId || version < 1)
    return SchemaVerdict::Foreign;
  if (version > kRecordSchemaVersion)
    return SchemaVerdict::Newer;
  if (*rows != ExpectedRows(version))
    return SchemaVerdict::Foreign;
  Statement check(db.get(), "PRAGMA quick_check");
  if (check.step() != SQLITE_ROW || check.text(0) != "ok")
    return SchemaVerdict::Corrupt;
  return version == kRecordSchemaVersion ? SchemaVerdict::Current : SchemaVerdict::Older;
}

bool CreateSchema(SqliteConnection& db) {
  const std::string id = "PRAGMA application_id = " + std::to_string(kRecordApplicationId);
  return RunAll(db, kSchemas.back()) && db.exec(id.c_str()) == SQLITE_OK &&
         SetVersion(db, kRecordSchemaVersion);
}

bool UpgradeSchema(SqliteConnection& db, std::int64_t fromVersion) {
  for (std::int64_t version = fromVersion; version < kRecordSchemaVersion; ++version) {
    if (!RunAll(db, kUpgrades[static_cast<std::size_t>(version - 1)]) ||
        !SetVersion(db, version + 1))
      return false;
  }
  return true;
}

}  // namespace harvel
