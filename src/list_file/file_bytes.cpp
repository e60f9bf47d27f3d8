#include "list_file/file_bytes.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "common/regular_file.h"

namespace harvel {
namespace fs = std::filesystem;
namespace {

// Creates a new file next to `target` that no one else has: "x" makes the open
// fail rather than reuse a file of the same name.
std::FILE* CreateTemporaryFile(const fs::path& target, fs::path& name) {
  std::random_device seed;
  std::mt19937_64 random(seed());
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[17];
    std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(random()));
    name = folder / (std::string(".harvel-") + suffix + ".tmp");
    if (std::FILE* file = std::fopen(name.string().c_str(), "wbx"))
      return file;
    if (errno != EEXIST)
      return nullptr;
  }
  return nullptr;
}

// After a crash the rename may reach the disk before the bytes do, and the
// list would be empty: the bytes are on the disk before the new file takes the
// old one's place.
bool FlushToDisk(std::FILE* file) {
  return fsync(fileno(file)) == 0;
}

bool MayWrite(const fs::path& path) {
  std::FILE* file = std::fopen(path.string().c_str(), "r+b");  // opens without changing it
  if (file == nullptr)
    return false;
  std::fclose(file);
  return true;
}

}  // namespace

std::optional<std::string> ReadFileBytes(const fs::path& path, std::uintmax_t limit) {
  RegularFile in = RegularFile::Open(path);
  if (!in)
    return std::nullopt;
  return in.readAll(limit);
}

bool ReplaceFileBytes(const fs::path& path, std::string_view bytes) {
  std::error_code error;
  const fs::file_status old = fs::status(path, error);
  const bool exists = fs::exists(old);
  if (exists && (!fs::is_regular_file(old) || !MayWrite(path)))
    return false;

  fs::path temporary;
  std::FILE* file = CreateTemporaryFile(path, temporary);
  if (file == nullptr)
    return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  written = std::fflush(file) == 0 && written;
  written = FlushToDisk(file) && written;
  written = std::fclose(file) == 0 && written;
  if (written && exists)
    fs::permissions(temporary, old.permissions(), error);
  if (written)
    fs::rename(temporary, path, error);
  if (!written || error) {
    fs::remove(temporary, error);
    return false;
  }
  return true;
}

}  // namespace harvel
