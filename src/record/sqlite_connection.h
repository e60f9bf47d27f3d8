#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace harvel {

// One prepared statement. Bind, step through the rows, read the columns;
// reset() makes it ready for the next use with new values.
class Statement {
 public:
  Statement() = default;
  Statement(sqlite3* db, std::string_view sql);
  ~Statement();
  Statement(Statement&& other) noexcept;
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool prepared() const { return statement_ != nullptr; }

  void bind(int index, std::string_view text);
  void bindBlob(int index, std::string_view bytes);
  void bind(int index, std::int64_t number);
  void bindNull(int index);

  // SQLITE_ROW, SQLITE_DONE or an error code.
  int step();
  void reset();

  std::string text(int column) const;  // text and blobs alike, byte for byte
  std::int64_t number(int column) const;
  bool isNull(int column) const;

 private:
  sqlite3_stmt* statement_ = nullptr;
};

// An SQLite connection, closed when the object goes.
class SqliteConnection {
 public:
  SqliteConnection() = default;
  explicit SqliteConnection(sqlite3* db) : db_(db) {}
  ~SqliteConnection() { close(); }
  SqliteConnection(SqliteConnection&& other) noexcept : db_(other.db_) { other.db_ = nullptr; }
  SqliteConnection& operator=(SqliteConnection&& other) noexcept;
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  sqlite3* get() const { return db_; }
  void close();

  // Runs statements that return no rows; SQLITE_OK or the error code.
  int exec(const char* sql);
  // The first column of the first row of `sql`, when it gives one.
  std::optional<std::int64_t> number(const char* sql);
  std::string errorText() const;

 private:
  sqlite3* db_ = nullptr;
};

// How long a statement waits for another connection's transaction (another
// crawl of the same title) before it fails.
inline constexpr int kRecordBusyTimeoutMs = 10000;

// Opens the database at `path` (":memory:" for one in memory) the way every
// record is opened, since a record may come from someone else: a symbolic link
// is not followed, and SQLite's defensive mode is on, with no trusted schema,
// no triggers, no views, no ATTACH and no extensions; values are bounded in
// size. A null connection and `error` when it cannot be opened.
SqliteConnection OpenDefensively(const std::string& path, std::string& error);

}  // namespace harvel
