#include <utility>

#include "common/number_text.h"
#include "common/path_text.h"
#include "list_file/file_bytes.h"
#include "list_file/file_text.h"
#include "list_file/list_file.h"
#include "list_file/list_layout.h"
#include "list_file/profile_file.h"

namespace harvel {
namespace {

// Reads values as the list file always has: a missing key reads as empty text,
// and a value is cut at kValueBytes in the file's own encoding.
class ValueReader {
 public:
  explicit ValueReader(const FileText& text)
      : encoding_(text.encoding), profile_(text.body, text.encoding == FileEncoding::kCp932) {}

  std::string Read(std::string_view section, std::string_view key) const {
    const std::optional<std::string_view> value = profile_.Get(section, key);
    if (!value)
      return {};
    return ValueToUtf8(CutAtBytes(*value, encoding_, kValueBytes), encoding_);
  }

 private:
  FileEncoding encoding_;
  ProfileFile profile_;
};

// An empty value keeps the one carried over from the row before.
void Carry(std::string value, std::string& field) {
  if (!value.empty())
    field = std::move(value);
}

}  // namespace

bool LoadListFile(const std::string& path, std::vector<CrawlTarget>& rows) {
  if (path.empty())
    return false;
  std::optional<std::string> bytes = ReadFileBytes(PathFromText(path), kMaxFileBytes);
  if (!bytes)
    return false;
  const std::optional<FileText> text = DecodeFileText(std::move(*bytes));
  if (!text)
    return false;
  const ValueReader reader(*text);

  const std::string countText = reader.Read(kSettingSection, kCountKey);
  const int count = countText.empty() ? 0 : TextToInt16(countText).value_or(0);
  if (count > 0)
    rows.reserve(rows.size() + static_cast<std::size_t>(count));
  CrawlTarget row;
  for (int i = 1; i <= count; ++i) {
    const std::string section = RowSection(static_cast<std::size_t>(i));
    Carry(reader.Read(section, kTitleKey), row.title);
    Carry(reader.Read(section, kUrlKey), row.url);
    Carry(reader.Read(section, kLevelKey), row.level);
    rows.push_back(row);
  }
  return true;
}

}  // namespace harvel
