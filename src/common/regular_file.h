#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace harvel {

// A regular file opened for reading. It is opened first, without blocking (a
// named pipe or a device put in a file's place never stalls the open), and
// then judged by its descriptor: what was judged is what is read, with no
// moment between a check of the path and the open.
class RegularFile {
 public:
  enum class Links { Follow, Refuse };

  // With Links::Refuse a symbolic link in the last place of `path` is not
  // followed, and the open fails with ELOOP.
  static RegularFile Open(const std::filesystem::path& path, Links links = Links::Follow);

  RegularFile(RegularFile&& other) noexcept;
  RegularFile& operator=(RegularFile&& other) noexcept;
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;
  ~RegularFile();

  bool isOpen() const { return fd_ >= 0; }
  explicit operator bool() const { return isOpen(); }
  // Why the open failed: an errno value, 0 when the path names something
  // other than a regular file (a folder, a pipe, a device).
  int openError() const { return error_; }

  int descriptor() const { return fd_; }
  // The file's status as it was when it was opened.
  const struct stat& status() const { return status_; }

  // Reads up to `size` bytes into `into`: the count, 0 at the end; nullopt on
  // a read error.
  std::optional<std::size_t> read(char* into, std::size_t size);
  // The rest of the file; nullopt on a read error or when it holds more than
  // `limit` bytes. It reads to the end rather than trusting the size (a file
  // of /proc shows 0).
  std::optional<std::string> readAll(std::uintmax_t limit);

 private:
  RegularFile() = default;

  int fd_ = -1;
  int error_ = 0;
  struct stat status_ {};
};

}  // namespace harvel
