#include "record/folder_record.h"

#include <utility>

#include "record/record_schema.h"

namespace harvel {
namespace {

constexpr const char* kFileColumns =
    "url, final_url, local_name, size, sha256, etag, last_modified, landed_at, copy_of";

std::string FileQuery(const char* where) {
  return std::string("SELECT ") + kFileColumns + " FROM files WHERE " + where;
}

void AppendLength(std::string& blob, std::size_t length) {
  for (int shift = 24; shift >= 0; shift -= 8)
    blob.push_back(static_cast<char>((length >> shift) & 0xff));
}

RecordedFile FileOfRow(const Statement& query) {
  RecordedFile file{query.text(0), query.text(1), query.text(2),   query.number(3), query.text(4),
                    query.text(5), query.text(6), query.number(7), query.text(8)};
  if (file.finalUrl.empty())
    file.finalUrl = file.url;
  return file;
}

}  // namespace

FolderRecord::FolderRecord(SqliteConnection db)
    : db_(std::move(db)),
      fileByUrl_(db_.get(), FileQuery("url = ?1")),
      // The first file of a digest rather than a copy recorded after it.
      fileBySha256_(db_.get(), FileQuery("sha256 = ?1 ORDER BY copy_of IS NOT NULL LIMIT 1")),
      filesBySha256_(db_.get(), FileQuery("sha256 = ?1 ORDER BY copy_of IS NOT NULL, id")),
      localName_(db_.get(), "SELECT 1 FROM files WHERE local_name = ?1 LIMIT 1"),
      insertFile_(db_.get(), std::string("INSERT OR REPLACE INTO files (") + kFileColumns +
                                 ") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)"),
      pageByUrl_(db_.get(),
                 "SELECT url, final_url, etag, last_modified, read_at, reader, links "
                 "FROM pages WHERE url = ?1"),
      pageValidators_(db_.get(),
                      "SELECT url, final_url, etag, last_modified, read_at, reader "
                      "FROM pages WHERE url = ?1"),
      insertPage_(db_.get(),
                  "INSERT OR REPLACE INTO pages (url, final_url, etag, last_modified, read_at, "
                  "reader, links) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"),
      deletePage_(db_.get(), "DELETE FROM pages WHERE url = ?1") {
  if (!fileByUrl_.prepared() || !fileBySha256_.prepared() || !filesBySha256_.prepared() ||
      !localName_.prepared() || !insertFile_.prepared() || !pageByUrl_.prepared() ||
      !pageValidators_.prepared() || !insertPage_.prepared() || !deletePage_.prepared())
    error_ = "the record cannot be read: " + db_.errorText();
}

std::unique_ptr<FolderRecord> FolderRecord::InMemory() {
  std::string error;
  SqliteConnection db = OpenDefensively(":memory:", error);
  CreateSchema(db);
  return std::make_unique<FolderRecord>(std::move(db));
}

std::optional<RecordedFile> FolderRecord::oneFile(Statement& query) {
  std::optional<RecordedFile> found;
  const int step = query.step();
  if (step == SQLITE_ROW) {
    found = FileOfRow(query);
  } else if (step != SQLITE_DONE) {
    error_ = "the record cannot be read: " + db_.errorText();
  }
  query.reset();
  return found;
}

std::vector<RecordedFile> FolderRecord::filesWithSha256(std::string_view sha256) {
  filesBySha256_.bindBlob(1, sha256);
  std::vector<RecordedFile> found;
  int step = SQLITE_ROW;
  while ((step = filesBySha256_.step()) == SQLITE_ROW)
    found.push_back(FileOfRow(filesBySha256_));
  if (step != SQLITE_DONE)
    error_ = "the record cannot be read: " + db_.errorText();
  filesBySha256_.reset();
  return found;
}

bool FolderRecord::begin() {
  if (db_.exec("BEGIN IMMEDIATE") == SQLITE_OK)
    return true;
  error_ = "the record cannot be written: " + db_.errorText();
  return false;
}

bool FolderRecord::commit() {
  if (db_.exec("COMMIT") == SQLITE_OK)
    return true;
  error_ = "the record cannot be written: " + db_.errorText();
  rollback();
  return false;
}

void FolderRecord::rollback() {
  if (sqlite3_get_autocommit(db_.get()) == 0)
    db_.exec("ROLLBACK");
}

bool FolderRecord::done(Statement& statement) {
  const int step = statement.step();
  statement.reset();
  if (step == SQLITE_DONE)
    return true;
  error_ = "the record cannot be written: " + db_.errorText();
  return false;
}

std::optional<RecordedFile> FolderRecord::file(std::string_view url) {
  fileByUrl_.bind(1, url);
  return oneFile(fileByUrl_);
}

std::optional<RecordedFile> FolderRecord::fileWithSha256(std::string_view sha256) {
  fileBySha256_.bindBlob(1, sha256);
  return oneFile(fileBySha256_);
}

bool FolderRecord::holdsLocalName(std::string_view localName) {
  localName_.bind(1, localName);
  const int step = localName_.step();
  localName_.reset();
  if (step != SQLITE_ROW && step != SQLITE_DONE)
    error_ = "the record cannot be read: " + db_.errorText();
  return step == SQLITE_ROW;
}

bool FolderRecord::addFile(const RecordedFile& file) {
  insertFile_.bind(1, file.url);
  // Most files come from where they were asked for: the final URL is kept
  // only when it differs.
  insertFile_.bind(2, file.finalUrl == file.url ? std::string_view("") : file.finalUrl);
  insertFile_.bind(3, file.localName);
  insertFile_.bind(4, file.size);
  insertFile_.bindBlob(5, file.sha256);
  insertFile_.bind(6, file.etag);
  insertFile_.bind(7, file.lastModified);
  insertFile_.bind(8, file.landedAt);
  if (file.copyOf.empty()) {
    insertFile_.bindNull(9);
  } else {
    insertFile_.bind(9, file.copyOf);
  }
  return done(insertFile_);
}

std::optional<RecordedPage> FolderRecord::page(std::string_view url) {
  pageByUrl_.bind(1, url);
  std::optional<RecordedPage> found;
  const int step = pageByUrl_.step();
  if (step == SQLITE_ROW) {
    std::optional<std::vector<PageLink>> links = DecodePageLinks(pageByUrl_.text(6));
    if (links) {
      found = RecordedPage{pageByUrl_.text(0), pageByUrl_.text(1),   pageByUrl_.text(2),
                           pageByUrl_.text(3), pageByUrl_.number(4), pageByUrl_.text(5),
                           std::move(*links)};
    } else {
      error_ = "the record holds a damaged page entry";
    }
  } else if (step != SQLITE_DONE) {
    error_ = "the record cannot be read: " + db_.errorText();
  }
  pageByUrl_.reset();
  return found;
}

std::optional<RecordedPage> FolderRecord::pageValidators(std::string_view url) {
  pageValidators_.bind(1, url);
  std::optional<RecordedPage> found;
  const int step = pageValidators_.step();
  if (step == SQLITE_ROW) {
    found = RecordedPage{pageValidators_.text(0),
                         pageValidators_.text(1),
                         pageValidators_.text(2),
                         pageValidators_.text(3),
                         pageValidators_.number(4),
                         pageValidators_.text(5),
                         {}};
  } else if (step != SQLITE_DONE) {
    error_ = "the record cannot be read: " + db_.errorText();
  }
  pageValidators_.reset();
  return found;
}

bool FolderRecord::putPage(const RecordedPage& page) {
  insertPage_.bind(1, page.url);
  insertPage_.bind(2, page.finalUrl);
  insertPage_.bind(3, page.etag);
  insertPage_.bind(4, page.lastModified);
  insertPage_.bind(5, page.readAt);
  insertPage_.bind(6, page.reader);
  insertPage_.bindBlob(7, EncodePageLinks(page.links));
  return done(insertPage_);
}

bool FolderRecord::dropPage(std::string_view url) {
  deletePage_.bind(1, url);
  return done(deletePage_);
}

// Each link: its kind (one byte), the length of its text (4 bytes, big-endian), the text.
std::string EncodePageLinks(const std::vector<PageLink>& links) {
  std::string blob;
  for (const PageLink& link : links) {
    blob.push_back(static_cast<char>(link.kind & 0xff));
    AppendLength(blob, link.text.size());
    blob += link.text;
  }
  return blob;
}

std::optional<std::vector<PageLink>> DecodePageLinks(std::string_view blob) {
  std::vector<PageLink> links;
  std::size_t at = 0;
  while (at < blob.size()) {
    if (blob.size() - at < 5)
      return std::nullopt;
    const int kind = static_cast<unsigned char>(blob[at]);
    std::size_t length = 0;
    for (std::size_t i = 1; i <= 4; ++i)
      length = (length << 8) | static_cast<unsigned char>(blob[at + i]);
    at += 5;
    if (length > blob.size() - at)
      return std::nullopt;
    links.push_back(PageLink{kind, std::string(blob.substr(at, length))});
    at += length;
  }
  return links;
}

}  // namespace harvel
