#include "list_file/unicode_text.h"

#include <algorithm>

#include "common/text_converter.h"

namespace harvel {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

std::string Utf16ToUtf8(std::string_view bytes, const char* encoding) {
  TextConverter converter("UTF-8", encoding);
  std::string out;
  if (!converter.ok())
    return out;
  out.reserve(bytes.size() * 3 / 2);
  while (!bytes.empty()) {
    bytes.remove_prefix(converter.Append(bytes, out));
    if (bytes.empty())
      break;
    // A unit iconv cannot read (a lone surrogate), or an odd last byte.
    out += kReplacement;
    bytes.remove_prefix(std::min<std::size_t>(2, bytes.size()));
  }
  return out;
}

}  // namespace

std::string Utf16LeToUtf8(std::string_view bytes) {
  return Utf16ToUtf8(bytes, "UTF-16LE");
}

std::string Utf16BeToUtf8(std::string_view bytes) {
  return Utf16ToUtf8(bytes, "UTF-16BE");
}

}  // namespace harvel
