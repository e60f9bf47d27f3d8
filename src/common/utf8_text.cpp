#include "common/utf8_text.h"

namespace harvel {

std::optional<Utf8Char> DecodeUtf8(std::string_view text) {
  if (text.empty())
    return std::nullopt;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80)
    return Utf8Char{lead, 1};
  std::size_t length = 0;
  char32_t value = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
    if (lead == 0xE0)
      low = 0xA0;  // no overlong forms
    if (lead == 0xED)
      high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
    if (lead == 0xF0)
      low = 0x90;
    if (lead == 0xF4)
      high = 0x8F;  // nothing above U+10FFFF
  } else {
    return std::nullopt;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high)
    return std::nullopt;
  for (std::size_t i = 1; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF)
      return std::nullopt;
    value = (value << 6) | (byte(i) & 0x3F);
  }
  return Utf8Char{value, length};
}

bool IsValidUtf8(std::string_view text) {
  while (!text.empty()) {
    const std::optional<Utf8Char> c = DecodeUtf8(text);
    if (!c)
      return false;
    text.remove_prefix(c->length);
  }
  return true;
}

std::string ValidUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    if (const std::optional<Utf8Char> c = DecodeUtf8(text)) {
      out.append(text.substr(0, c->length));
      text.remove_prefix(c->length);
    } else {
      out += "\xEF\xBF\xBD";  // U+FFFD
      text.remove_prefix(1);
    }
  }
  return out;
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace harvel
