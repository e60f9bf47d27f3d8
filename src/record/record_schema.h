#pragma once

#include <cstdint>

#include "record/sqlite_connection.h"

namespace harvel {

// The schema version this Harvel writes. A record of an earlier version is
// brought up to it when opened; one of a later version is left alone.
inline constexpr std::int64_t kRecordSchemaVersion = 1;
// The database's application id: "Hrvl". A database without it is no record.
inline constexpr std::int64_t kRecordApplicationId = 0x4872766c;

// What a database holds, judged from its header and its schema only.
enum class SchemaVerdict {
  Empty,    // nothing yet: a new record is made in it
  Current,  // Harvel's schema of this version, exactly
  Older,    // Harvel's schema of an earlier version, exactly
  Newer,    // Harvel's id with a later version
  Foreign,  // anything else: another schema, extra tables, triggers, views
  Corrupt,  // not a database, or damaged
};

// Judges the main database of `db`. `version` is set to its schema version.
// Reads nothing but the header, the schema table and the page structure.
SchemaVerdict JudgeSchema(SqliteConnection& db, std::int64_t& version);

// Makes the current schema in an empty database, or brings an older one up
// to it; false when a statement fails. Runs inside the caller's transaction.
bool CreateSchema(SqliteConnection& db);
bool UpgradeSchema(SqliteConnection& db, std::int64_t fromVersion);

}  // namespace harvel
