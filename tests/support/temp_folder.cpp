#include "temp_folder.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "common/path_text.h"

namespace harvel::test {

namespace {

std::string TemporaryFolder() {
  const char* tmp = getenv("TMPDIR");
  std::string folder = (tmp != nullptr && tmp[0] != '\0') ? tmp : "/tmp";
  while (folder.size() > 1 && folder.back() == '/')
    folder.pop_back();
  return folder;
}

std::filesystem::path Inside(const std::filesystem::path& folder, std::string_view relative) {
  return folder / PathFromText(std::string(relative));
}

}  // namespace

TempFolder::TempFolder() {
  std::string name = TemporaryFolder() + "/harvel-test-XXXXXX";
  if (mkdtemp(name.data()) == nullptr)
    throw std::runtime_error("cannot make a folder like " + name);
  path_ = name;
}

TempFolder::~TempFolder() {
  // A test may have taken away the owner's rights to the folder.
  std::error_code error;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, error);
  std::filesystem::remove_all(path_, error);
}

std::string TempFolder::text() const {
  return TextFromPath(path_);
}

std::string TempFolder::file(std::string_view relative) const {
  return TextFromPath(Inside(path_, relative));
}

std::string TempFolder::write(std::string_view relative, std::string_view bytes) const {
  const std::filesystem::path path = Inside(path_, relative);
  WriteFile(path, bytes);
  return TextFromPath(path);
}

std::string TempFolder::read(std::string_view relative) const {
  return ReadFile(Inside(path_, relative));
}

bool TempFolder::exists(std::string_view relative) const {
  return std::filesystem::exists(Inside(path_, relative));
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  if (path.has_parent_path())
    std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out)
    throw std::runtime_error("cannot write " + TextFromPath(path));
}

std::set<std::string> FilesIn(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  std::set<std::string> names;
  std::error_code error;
  if (!fs::is_directory(folder, error))
    return names;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_directory())
      names.insert(fs::relative(entry.path(), folder).string());
  }
  return names;
}

}  // namespace harvel::test
