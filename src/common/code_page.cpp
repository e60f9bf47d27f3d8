#include "common/code_page.h"

#include "common/text_converter.h"

namespace harvel {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool IsLeadByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsTrailByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

std::optional<std::string> Convert(const char* to, const char* from, std::string_view in) {
  TextConverter converter(to, from);
  if (!converter.ok())
    return std::nullopt;
  std::string out;
  out.reserve(in.size() + in.size() / 2);
  if (converter.Append(in, out) != in.size())
    return std::nullopt;
  return out;
}

}  // namespace

std::size_t Cp932CharSize(std::string_view bytes) {
  if (bytes.empty())
    return 0;
  return bytes.size() >= 2 && IsLeadByte(bytes[0]) ? 2 : 1;
}

std::optional<std::string> Cp932ToUtf8(std::string_view bytes) {
  return Convert("UTF-8", "CP932", bytes);
}

std::string Cp932ToUtf8Lossy(std::string_view bytes) {
  TextConverter converter("UTF-8", "CP932");
  std::string out;
  if (!converter.ok())
    return out;
  out.reserve(bytes.size() + bytes.size() / 2);
  while (!bytes.empty()) {
    bytes.remove_prefix(converter.Append(bytes, out));
    if (bytes.empty())
      break;
    out.append(kReplacement);
    // An unknown double-byte code is one character, not two.
    const bool pair = bytes.size() >= 2 && IsLeadByte(bytes[0]) && IsTrailByte(bytes[1]);
    bytes.remove_prefix(pair ? 2 : 1);
  }
  return out;
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
  std::optional<std::string> bytes = Convert("CP932", "UTF-8", utf8);
  if (!bytes)
    return std::nullopt;
  // iconv maps some characters to the code of a look-alike ("〜" to "～",
  // "¥" to "\"); such a text would change on the way back.
  const std::optional<std::string> back = Cp932ToUtf8(*bytes);
  if (!back || *back != utf8)
    return std::nullopt;
  return bytes;
}

}  // namespace harvel
