#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "downloader/temporary_file_record.h"

namespace harvel {

// A download's file while it is written: a new file under a hidden name in
// the target folder, locked and named in a TemporaryFileRecord while it is
// open, so that the next downloader can remove it when this one is killed.
// It gets its name only by moveTo(); otherwise it is removed.
class TemporaryFile {
 public:
  // A temporary file's name: the prefix and this many letters or digits.
  static constexpr const char* kPrefix = ".VeskDownloader-";
  static constexpr std::size_t kSuffixLength = 6;

  TemporaryFile() = default;
  ~TemporaryFile();  // remove()
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  // Where the open file is named; none by default.
  void setRecord(TemporaryFileRecord* record) { record_ = record; }

  // Makes a new file in `folder`, with the mode a program writing the file
  // directly would give it: 0, or the system's error number.
  int create(const std::string& folder);
  bool isOpen() const { return fd_ >= 0; }

  // Opens the existing file `path` (a part of a download kept to be
  // continued) to append to it after its first `keepBytes`: 0, or the
  // system's error number. Such a file is not named in the record, and
  // remove() only closes it: its bytes stay where they are.
  int adopt(const std::string& path, std::int64_t keepBytes);
  bool adopted() const { return adopted_; }

  // Writes what was appended through to the disk: 0, or the system's error number.
  int sync();

  // Appends `size` bytes: 0, or the system's error number.
  int write(const char* data, std::size_t size);

  // Closes the file and gives it the name `path`: 0, or the system's error
  // number, and the file is removed.
  int moveTo(const std::string& path);

  // Closes and removes the file, if one is open.
  void remove();

  // Closes the file and gives it up as it stands: its path, which stays named
  // in the record; the caller now moves or removes it and tells the record.
  std::string release();

 private:
  int fd_ = -1;
  bool adopted_ = false;
  std::string path_;
  TemporaryFileRecord* record_ = nullptr;
};

}  // namespace harvel
