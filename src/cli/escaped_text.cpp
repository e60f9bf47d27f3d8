#include "cli/escaped_text.h"

#include <cstdio>

namespace harvel {
namespace {

std::string Escape(const char* format, unsigned value) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

}  // namespace

std::string EscapedText(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '\\') {
      escaped += "\\\\";
    } else if (byte == '\t') {
      escaped += "\\t";
    } else if (byte == '\n') {
      escaped += "\\n";
    } else if (byte == '\r') {
      escaped += "\\r";
    } else if (byte < 0x20 || byte == 0x7f) {
      escaped += Escape("\\x%02X", byte);
    } else if (byte == 0xc2 && i + 1 < text.size() &&
               static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(text[i + 1]) <= 0x9f) {
      // U+0080 to U+009F: terminals take some of them for commands.
      escaped += Escape("\\u%04X", static_cast<unsigned char>(text[++i]));
    } else {
      escaped += text[i];
    }
  }
  return escaped;
}

}  // namespace harvel
