#include <optional>
#include <utility>

#include "common/code_page.h"
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

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The file a save goes to: through a symbolic link to the file it names, so the
// link stays a link.
fs::path SaveTarget(const fs::path& path) {
  std::error_code error;
  if (!fs::is_symlink(fs::symlink_status(path, error)))
    return path;
  const fs::path target = fs::weakly_canonical(path, error);
  return error ? path : target;
}

// The text of the file before the save: empty for a file that is not there,
// nullopt for one that cannot be read (its lines could not be kept).
std::optional<FileText> OldText(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found)
    return FileText{};
  if (error)
    return std::nullopt;
  std::optional<std::string> bytes = ReadFileBytes(path, kMaxFileBytes);
  if (!bytes)
    return std::nullopt;
  return DecodeFileText(std::move(*bytes));
}

// The values in write order: for each row its title, URL and level.
std::vector<std::string> ValueTexts(const std::vector<CrawlTarget>& rows) {
  std::vector<std::string> values;
  values.reserve(rows.size() * 3);
  for (const CrawlTarget& row : rows) {
    values.push_back(ProfileValueText(row.title));
    values.push_back(ProfileValueText(row.url));
    values.push_back(ProfileValueText(row.level));
  }
  return values;
}

// The values in code page 932, nullopt when one of them does not fit.
std::optional<std::vector<std::string>> ValuesInCp932(const std::vector<std::string>& values) {
  std::vector<std::string> converted;
  converted.reserve(values.size());
  for (const std::string& value : values) {
    std::optional<std::string> bytes = Utf8ToCp932(value);
    if (!bytes)
      return std::nullopt;
    converted.push_back(std::move(*bytes));
  }
  return converted;
}

// The old text in code page 932, nullopt when it does not fit.
std::optional<std::string> BodyInCp932(FileText& old) {
  if (old.encoding == FileEncoding::kCp932)
    return std::move(old.body);
  return Utf8ToCp932(old.body);
}

std::string BodyInUtf8(FileText& old) {
  if (old.encoding == FileEncoding::kCp932)
    return Cp932TextToUtf8(old.body);
  return std::move(old.body);
}

}  // namespace

bool SaveListFile(const std::string& path, const std::vector<CrawlTarget>& rows) {
  if (path.empty() || rows.size() > kMaxRows)
    return false;
  const fs::path target = SaveTarget(PathFromText(path));
  std::optional<FileText> old = OldText(target);
  if (!old)
    return false;

  // Code page 932 when every text of the file fits, so that no character is lost.
  std::vector<std::string> values = ValueTexts(rows);
  std::optional<std::string> body;
  if (std::optional<std::vector<std::string>> cp932Values = ValuesInCp932(values)) {
    body = BodyInCp932(*old);
    if (body)
      values = std::move(*cp932Values);
  }
  const bool cp932 = body.has_value();
  ProfileFile profile(cp932 ? std::move(*body) : BodyInUtf8(*old), cp932);
  body.reset();

  profile.Set(kSettingSection, kCountKey, DecimalText(static_cast<std::int64_t>(rows.size())));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::string section = RowSection(i + 1);
    profile.Set(section, kTitleKey, values[3 * i]);
    profile.Set(section, kUrlKey, values[3 * i + 1]);
    profile.Set(section, kLevelKey, values[3 * i + 2]);
  }
  std::string bytes = profile.Text();
  if (!cp932)
    bytes.insert(0, kUtf8Mark);
  return ReplaceFileBytes(target, bytes);
}

}  // namespace harvel
