#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <string_view>

namespace harvel::test {

// A fresh folder (mode 0700) in the temporary folder (TMPDIR as it is when the
// object is made, /tmp when it is not set), removed with everything in it when
// the object goes. Relative names and the texts returned are UTF-8.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string text() const;  // the path as UTF-8 text
  // The UTF-8 path of the file `relative` inside the folder.
  std::string file(std::string_view relative) const;

  // Writes `bytes` to the file `relative` (folders made as needed); returns its path.
  std::string write(std::string_view relative, std::string_view bytes) const;
  std::string read(std::string_view relative) const;
  bool exists(std::string_view relative) const;

 private:
  std::filesystem::path path_;
};

// Reads a whole file; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);
// Writes a whole file, making its folders as needed; throws when it cannot.
void WriteFile(const std::filesystem::path& path, std::string_view bytes);
// Every file below `folder`, as paths relative to it ("T/a.gif"), so that a
// test can tell what landed and that no temporary file was left; empty when
// there is no such folder.
std::set<std::string> FilesIn(const std::filesystem::path& folder);

}  // namespace harvel::test
