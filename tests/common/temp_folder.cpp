#include "temp_folder.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "common/path_text.h"

namespace harvel::testing {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "harvel-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

std::string TempFolder::text() const {
  return TextFromPath(path_);
}

std::string TempFolder::write(const std::string& relative, const std::string& bytes) const {
  const std::filesystem::path file = path_ / PathFromText(relative);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
  return TextFromPath(file);
}

std::string TempFolder::read(const std::string& relative) const {
  std::ifstream in(path_ / PathFromText(relative), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool TempFolder::exists(const std::string& relative) const {
  return std::filesystem::exists(path_ / PathFromText(relative));
}

}  // namespace harvel::testing
