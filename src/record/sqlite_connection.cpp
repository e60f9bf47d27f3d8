#include "record/sqlite_connection.h"

#include <utility>

namespace harvel {
namespace {

// The longest text or blob a record may hold; a planted record cannot make the
// crawl read more than this at once.
constexpr int kLargestValue = 64 << 20;

int RefuseAttach(void* /*unused*/, int action, const char* /*a*/, const char* /*b*/,
                 const char* /*database*/, const char* /*trigger*/) {
  return action == SQLITE_ATTACH || action == SQLITE_DETACH ? SQLITE_DENY : SQLITE_OK;
}

}  // namespace

Statement::Statement(sqlite3* db, std::string_view sql) {
  if (sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                         &statement_, nullptr) != SQLITE_OK) {
    sqlite3_finalize(statement_);
    statement_ = nullptr;
  }
}

Statement::~Statement() {
  sqlite3_finalize(statement_);
}

Statement::Statement(Statement&& other) noexcept
    : statement_(std::exchange(other.statement_, nullptr)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    sqlite3_finalize(statement_);
    statement_ = std::exchange(other.statement_, nullptr);
  }
  return *this;
}

void Statement::bind(int index, std::string_view text) {
  sqlite3_bind_text64(statement_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void Statement::bindBlob(int index, std::string_view bytes) {
  sqlite3_bind_blob64(statement_, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
}

void Statement::bind(int index, std::int64_t number) {
  sqlite3_bind_int64(statement_, index, number);
}

void Statement::bindNull(int index) {
  sqlite3_bind_null(statement_, index);
}

int Statement::step() {
  return statement_ == nullptr ? SQLITE_MISUSE : sqlite3_step(statement_);
}

void Statement::reset() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

std::string Statement::text(int column) const {
  // The blob pointer first, then its length: the order SQLite asks for.
  const void* bytes = sqlite3_column_blob(statement_, column);
  const int size = sqlite3_column_bytes(statement_, column);
  if (bytes == nullptr || size <= 0)
    return {};
  return std::string(static_cast<const char*>(bytes), static_cast<std::size_t>(size));
}

std::int64_t Statement::number(int column) const {
  return sqlite3_column_int64(statement_, column);
}

bool Statement::isNull(int column) const {
  return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

SqliteConnection& SqliteConnection::operator=(SqliteConnection&& other) noexcept {
  if (this != &other) {
    close();
    db_ = std::exchange(other.db_, nullptr);
  }
  return *this;
}

void SqliteConnection::close() {
  if (db_ != nullptr)
    sqlite3_close_v2(db_);
  db_ = nullptr;
}

int SqliteConnection::exec(const char* sql) {
  return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
}

std::optional<std::int64_t> SqliteConnection::number(const char* sql) {
  Statement statement(db_, sql);
  if (statement.step() != SQLITE_ROW)
    return std::nullopt;
  return statement.number(0);
}

std::string SqliteConnection::errorText() const {
  return db_ == nullptr ? "no database" : sqlite3_errmsg(db_);
}

SqliteConnection OpenDefensively(const std::string& path, std::string& error) {
  sqlite3* raw = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW |
                    SQLITE_OPEN_PRIVATECACHE | SQLITE_OPEN_NOMUTEX;
  const int opened = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
  SqliteConnection db(raw);
  if (opened != SQLITE_OK) {
    error = db.errorText();
    db.close();
    return db;
  }
  sqlite3* handle = db.get();
  const int settings[][2] = {
      {SQLITE_DBCONFIG_DEFENSIVE, 1},
      {SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0},
      {SQLITE_DBCONFIG_ENABLE_TRIGGER, 0},
      {SQLITE_DBCONFIG_ENABLE_VIEW, 0},
      {SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0},
      {SQLITE_DBCONFIG_WRITABLE_SCHEMA, 0},
  };
  for (const auto& setting : settings) {
    if (sqlite3_db_config(handle, setting[0], setting[1], nullptr) != SQLITE_OK) {
      error = "the database cannot be opened safely: " + db.errorText();
      db.close();
      return db;
    }
  }
  sqlite3_limit(handle, SQLITE_LIMIT_ATTACHED, 0);
  sqlite3_limit(handle, SQLITE_LIMIT_LENGTH, kLargestValue);
  sqlite3_set_authorizer(handle, RefuseAttach, nullptr);
  sqlite3_busy_timeout(handle, kRecordBusyTimeoutMs);
  db.exec("PRAGMA cell_size_check = ON");
  return db;
}

}  // namespace harvel
