#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace harvel::test {

// A new empty folder, removed with everything in it at the end of the test.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The UTF-8 path of `name` inside the folder.
  std::string File(std::string_view name) const;

 private:
  std::filesystem::path path_;
};

void WriteBytes(const std::string& path, std::string_view bytes);
std::string ReadBytes(const std::string& path);

// "日本語" and other texts as code page 932 bytes, written out so that the tests
// do not depend on the converter they test.
inline constexpr std::string_view kNihongoCp932 = "\x93\xFA\x96\x7B\x8C\xEA";  // 日本語
inline constexpr std::string_view kTesutoCp932 = "\x83\x65\x83\x58\x83\x67";   // テスト

}  // namespace harvel::test
