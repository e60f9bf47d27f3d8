#pragma once

#include <filesystem>
#include <string>

namespace harvel::testing {

// A fresh folder under the system's temporary folder, removed with everything in
// it when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string text() const;  // the path as UTF-8 text

  // Writes `bytes` to the file `relative` (folders made as needed); returns its path.
  std::string write(const std::string& relative, const std::string& bytes) const;
  std::string read(const std::string& relative) const;
  bool exists(const std::string& relative) const;

 private:
  std::filesystem::path path_;
};

}  // namespace harvel::testing
