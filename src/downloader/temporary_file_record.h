#pragma once

#include <string>

namespace harvel {

// Names the one temporary file the downloader is writing, in a small file of
// its own next to the socket (a folder only this user can enter). A
// downloader that is killed leaves its temporary file and this record behind;
// the next one removes exactly that file, and nothing else: a file of the
// user's, or one a crawl saved under a similar name, is never touched.
class TemporaryFileRecord {
 public:
  TemporaryFileRecord() = default;
  ~TemporaryFileRecord();
  TemporaryFileRecord(const TemporaryFileRecord&) = delete;
  TemporaryFileRecord& operator=(const TemporaryFileRecord&) = delete;

  // Removes the temporary file that the record at `recordPath` names, if it is
  // still there and nobody holds it, and then keeps that record. Call it only
  // while holding the downloader's instance lock. False when the record
  // cannot be made (downloads then go on unrecorded).
  bool open(const std::string& recordPath);

  // `path` is about to be made; nothing is recorded while no record is open.
  void remember(const std::string& path);
  // The remembered file has been renamed into place or removed.
  void forget();

  // True when the base name of `path` is one that the downloader gives its
  // temporary files.
  static bool IsTemporaryName(const std::string& path);

 private:
  int fd_ = -1;
};

}  // namespace harvel
