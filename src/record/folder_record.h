#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "record/sqlite_connection.h"

namespace harvel {

// A file that landed in the title's folder, or a copy of one that was not kept.
struct RecordedFile {
  std::string url;
  std::string finalUrl;   // after redirects
  std::string localName;  // its name in the folder (for a copy: the first file's)
  std::int64_t size = 0;
  std::string sha256;  // the 32 bytes of the digest
  std::string etag;
  std::string lastModified;
  std::int64_t landedAt = 0;  // seconds since 1970-01-01 UTC
  std::string copyOf;         // for a copy: the URL of the file it repeats
};

// One link of a page as its reader found it: `kind` is the reader's own.
struct PageLink {
  int kind = 0;
  std::string text;
};

// A page read for links, kept so that an unchanged page gives its links again.
struct RecordedPage {
  std::string url;
  std::string finalUrl;
  std::string etag;
  std::string lastModified;
  std::int64_t readAt = 0;  // seconds since 1970-01-01 UTC
  std::string reader;       // which way the links were read
  std::vector<PageLink> links;
};

// The record of one title's folder: what crawls of the title landed there.
// Every call that touches the database records a failure in error(); a
// lookup that failed gives nullopt or false as one that found nothing does,
// so a caller asks ok() when it matters.
class FolderRecord {
 public:
  // Over an open connection whose schema is the current one.
  explicit FolderRecord(SqliteConnection db);
  // A new record that lives in memory only.
  static std::unique_ptr<FolderRecord> InMemory();

  std::optional<RecordedFile> file(std::string_view url);
  // A file of that digest: the first one landed rather than a copy of it.
  std::optional<RecordedFile> fileWithSha256(std::string_view sha256);
  // Every entry of that digest, the files landed before their copies.
  std::vector<RecordedFile> filesWithSha256(std::string_view sha256);
  bool holdsLocalName(std::string_view localName);
  // Records the file, replacing an earlier entry of the same URL.
  bool addFile(const RecordedFile& file);

  std::optional<RecordedPage> page(std::string_view url);
  // The page without its links: what a conditional request needs.
  std::optional<RecordedPage> pageValidators(std::string_view url);
  bool putPage(const RecordedPage& page);
  bool dropPage(std::string_view url);

  // A write transaction, so that what is looked up and what is written after
  // it are one step for every other crawl of the folder.
  bool begin();
  bool commit();
  void rollback();

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  void clearError() { error_.clear(); }

 private:
  std::optional<RecordedFile> oneFile(Statement& query);
  bool done(Statement& statement);

  SqliteConnection db_;
  Statement fileByUrl_;
  Statement fileBySha256_;
  Statement filesBySha256_;
  Statement localName_;
  Statement insertFile_;
  Statement pageByUrl_;
  Statement pageValidators_;
  Statement insertPage_;
  Statement deletePage_;
  std::string error_;
};

// The links of a page as one blob and back; nullopt for a blob that does not
// decode exactly (a damaged or planted record).
std::string EncodePageLinks(const std::vector<PageLink>& links);
std::optional<std::vector<PageLink>> DecodePageLinks(std::string_view blob);

}  // namespace harvel
