#include "main_window/kept_list.h"

#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <system_error>

#include "common/number_text.h"
#include "common/path_text.h"
#include "list_file/file_bytes.h"
#include "list_file/file_text.h"
#include "list_file/list_file.h"
#include "list_file/list_layout.h"
#include "list_file/profile_file.h"

namespace harvel {
namespace fs = std::filesystem;
namespace {

// Whether `bytes` are a list file: its count is there and is a row count.
bool IsListFileText(std::string bytes) {
  const std::optional<FileText> text = DecodeFileText(std::move(bytes));
  if (!text)
    return false;
  const ProfileFile profile(text->body, text->encoding == FileEncoding::kCp932);
  const std::optional<std::string_view> count = profile.Get(kSettingSection, kCountKey);
  if (!count)
    return false;
  const std::optional<std::int16_t> rows = TextToInt16(std::string(*count));
  return rows && *rows >= 0;
}

std::string DatedSuffix() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, ".damaged-%Y%m%d-%H%M%S", &local);
  return text;
}

}  // namespace

KeptList::KeptList(std::string folder) : folder_(std::move(folder)) {}

std::string KeptList::path() const {
  return folder_.empty() ? std::string() : folder_ + "/" + kFileName;
}

KeptList::Restored KeptList::restore() const {
  Restored restored;
  if (!enabled())
    return restored;
  const fs::path file = PathFromText(path());
  std::error_code error;
  if (fs::symlink_status(file, error).type() == fs::file_type::not_found)
    return restored;  // a first start
  std::optional<std::string> bytes = ReadFileBytes(file, kMaxFileBytes);
  if (bytes && IsListFileText(*bytes)) {
    std::vector<CrawlTarget> rows;
    if (LoadListFile(path(), rows)) {
      restored.rows = std::move(rows);
      return restored;
    }
  }
  const fs::path aside = PathFromText(path() + DatedSuffix());
  fs::rename(file, aside, error);
  restored.problem = error ? "(" + error.message() + ")" : TextFromPath(aside);
  return restored;
}

bool KeptList::save(const std::vector<CrawlTarget>& rows, std::string* error) const {
  if (!enabled())
    return true;
  std::error_code failure;
  fs::create_directories(PathFromText(folder_), failure);
  if (failure) {
    *error = failure.message();
    return false;
  }
  // A fresh file each time, so that no line of an older list stays in it.
  const std::string temporary = path() + ".new-" + std::to_string(getpid());
  fs::remove(PathFromText(temporary), failure);
  if (!SaveListFile(temporary, rows)) {
    *error = "cannot write " + temporary;
    fs::remove(PathFromText(temporary), failure);
    return false;
  }
  fs::rename(PathFromText(temporary), PathFromText(path()), failure);
  if (failure) {
    *error = failure.message();
    fs::remove(PathFromText(temporary), failure);
    return false;
  }
  return true;
}

}  // namespace harvel
