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
// one name.
//
// It is a journal: each file is named once when it is about to be made and
// once more when it has gone, one write() each to the end of the record,
// which stays open. The next downloader reads it from the start: a name given
// more often than it was taken back is a file left behind. The record is made
// anew, as a new file renamed over the old one, when it is opened and when it
// has grown large, holding then only the files still under way.
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
  // Makes the record anew with the files under way: false when it cannot be.
  bool rewrite();
  // Appends one entry; the record is made anew when it has grown large.
  void append(char mark, const std::string& path);

  std::string path_;  // the record's; empty while none is open
  int fd_ = -1;       // the record, open for appending
  std::size_t size_ = 0;
  std::set<std::string> paths_;
};

}  // namespace harvel
