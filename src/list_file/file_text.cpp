#include "list_file/file_text.h"

#include "common/code_page.h"
#include "common/utf8_text.h"
#include "list_file/unicode_text.h"

namespace harvel {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr std::string_view kUtf32LeMark{"\xFF\xFE\0\0", 4};
constexpr std::string_view kUtf32BeMark{"\0\0\xFE\xFF", 4};

// The bytes of the character `text` starts with; 1 for a byte of none.
std::size_t Utf8Size(std::string_view text) {
  const std::optional<Utf8Char> c = DecodeUtf8(text);
  return c ? c->length : 1;
}

}  // namespace

std::optional<FileText> DecodeFileText(std::string bytes) {
  const std::string_view view = bytes;
  if (view.starts_with(kUtf32LeMark) || view.starts_with(kUtf32BeMark))
    return std::nullopt;
  if (view.starts_with(kUtf8Mark)) {
    return FileText{FileEncoding::kUtf8, bytes.substr(kUtf8Mark.size())};
  }
  if (view.starts_with(kUtf16LeMark)) {
    return FileText{FileEncoding::kUtf16Le, Utf16LeToUtf8(view.substr(kUtf16LeMark.size()))};
  }
  if (view.starts_with(kUtf16BeMark)) {
    return FileText{FileEncoding::kUtf16Be, Utf16BeToUtf8(view.substr(kUtf16BeMark.size()))};
  }
  return FileText{FileEncoding::kCp932, std::move(bytes)};
}

std::string Cp932TextToUtf8(std::string_view text) {
  if (std::optional<std::string> whole = Cp932ToUtf8(text))
    return std::move(*whole);
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::size_t size = end == std::string_view::npos ? text.size() : end + 1;
    const std::string_view line = text.substr(0, size);
    const std::optional<std::string> converted = Cp932ToUtf8(line);
    out += converted ? std::string_view(*converted) : line;
    text.remove_prefix(size);
  }
  return out;
}

std::string_view CutAtBytes(std::string_view value, FileEncoding encoding, std::size_t limit) {
  std::size_t pos = 0;
  std::size_t measured = 0;
  while (pos < value.size()) {
    const std::string_view rest = value.substr(pos);
    const std::size_t size =
        encoding == FileEncoding::kCp932 ? Cp932CharSize(rest) : Utf8Size(rest);
    // A UTF-16 file holds 4 bytes for a character outside the basic plane
    // (4 in UTF-8 too) and 2 for any other.
    const bool utf16 = encoding == FileEncoding::kUtf16Le || encoding == FileEncoding::kUtf16Be;
    const std::size_t fileSize = utf16 && size < 4 ? 2 : size;
    if (measured + fileSize > limit)
      break;
    pos += size;
    measured += fileSize;
  }
  return value.substr(0, pos);
}

std::string ValueToUtf8(std::string_view value, FileEncoding encoding) {
  return encoding == FileEncoding::kCp932 ? Cp932ToUtf8Lossy(value) : ValidUtf8(value);
}

}  // namespace harvel
