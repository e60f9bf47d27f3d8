#pragma once

#include <set>
#include <string>

namespace harvel {

// Names the temporary files the downloader is writing (one per transfer under
// way), in a small file of its own next to the socket (a folder only this user
// can enter). A downloader that is killed leaves its temporary files and this
// record behind; the next one removes exactly those files, and nothing else: a
// file of the user's, or one a crawl saved under a similar name, is never
// touched. The record is read only when it is a plain file of this user with
// one name, and written as a new file renamed over it.
class TemporaryFileRecord {
 public:
  TemporaryFileRecord() = default;
  ~TemporaryFileRecord();
  TemporaryFileRecord(const TemporaryFileRecord&) = delete;
  TemporaryFileRecord& operator=(const TemporaryFileRecord&) = delete;

  // Removes the temporary files that the record at `recordPath` names, if they
  // are still there and nobody holds them, and then keeps that record. Call it only
  // while holding the downloader's instance lock. False when the record
  // cannot be made (downloads then go on unrecorded).
  bool open(const std::string& recordPath);

  // `path` is about to be made; nothing is recorded while no record is open.
  void remember(const std::string& path);
  // The remembered `path` has been renamed into place or removed.
  void forget(const std::string& path);

  // True when the base name of `path` is one that the downloader gives its
  // temporary files.
  static bool IsTemporaryName(const std::string& path);

 private:
  bool write();

  std::string path_;  // the record's; empty while none is open
  std::set<std::string> paths_;
};

}  // namespace harvel
