#include "list_file/unicode_text.h"

namespace harvel {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

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

}  // namespace

std::size_t Utf8CharSize(std::string_view text) {
  if (text.empty())
    return 0;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t size = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead < 0x80) {
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    size = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    size = 3;
    if (lead == 0xE0)
      low = 0xA0;  // no overlong forms
    if (lead == 0xED)
      high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    size = 4;
    if (lead == 0xF0)
      low = 0x90;
    if (lead == 0xF4)
      high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 1;
  }
  if (text.size() < size || byte(1) < low || byte(1) > high)
    return 1;
  for (std::size_t i = 2; i < size; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF)
      return 1;
  }
  return size;
}

std::string ValidUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const std::size_t size = Utf8CharSize(text);
    if (size == 1 && static_cast<unsigned char>(text.front()) >= 0x80) {
      out += kReplacement;
    } else {
      out.append(text.substr(0, size));
    }
    text.remove_prefix(size);
  }
  return out;
}

namespace {

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size() * 3 / 2);
  const std::size_t low = bigEndian ? 1 : 0;
  const auto unit = [&](std::size_t i) -> char16_t {
    return static_cast<char16_t>(static_cast<unsigned char>(bytes[i + low]) |
                                 static_cast<unsigned char>(bytes[i + 1 - low]) << 8);
  };
  std::size_t pos = 0;
  for (; pos + 1 < bytes.size(); pos += 2) {
    const char16_t first = unit(pos);
    if (first < 0xD800 || first > 0xDFFF) {
      AppendUtf8(first, out);
    } else if (first <= 0xDBFF && pos + 3 < bytes.size() && unit(pos + 2) >= 0xDC00 &&
               unit(pos + 2) <= 0xDFFF) {
      const char16_t second = unit(pos + 2);
      AppendUtf8(0x10000 + ((char32_t{first} - 0xD800) << 10) + (second - 0xDC00), out);
      pos += 2;
    } else {
      out += kReplacement;
    }
  }
  if (pos < bytes.size())
    out += kReplacement;
  return out;
}

}  // namespace

std::string Utf16LeToUtf8(std::string_view bytes) {
  return Utf16ToUtf8(bytes, false);
}

std::string Utf16BeToUtf8(std::string_view bytes) {
  return Utf16ToUtf8(bytes, true);
}

}  // namespace harvel
