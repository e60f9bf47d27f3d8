#include "crawl/file_name.h"

#include <array>
#include <string_view>

namespace harvel {
namespace {

// The length of the format character in UTF-8 that starts at `at`, 0 for none:
// U+061C, U+200B-U+200F, U+202A-U+202E, U+2060-U+206F and U+FEFF.
std::size_t FormatCharacterLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) {
    return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0u;
  };
  if (byte(0) == 0xD8 && byte(1) == 0x9C)
    return 2;
  if (byte(0) == 0xE2 && byte(1) == 0x80 &&
      ((byte(2) >= 0x8B && byte(2) <= 0x8F) || (byte(2) >= 0xAA && byte(2) <= 0xAE)))
    return 3;
  if (byte(0) == 0xE2 && byte(1) == 0x81 && byte(2) >= 0xA0 && byte(2) <= 0xAF)
    return 3;
  if (byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF)
    return 3;
  return 0;
}

}  // namespace

std::string GetFileName(const std::string& url) {
  static constexpr std::string_view kIndex = "index.html";
  // Names that cannot or should not be stored as they stand.
  static constexpr std::array<std::string_view, 8> kBlocked = {"google", "\\", "*", "?",
                                                               "\"",     "<",  ">", "|"};
  for (std::string_view blocked : kBlocked) {
    if (url.find(blocked) != std::string::npos)
      return std::string(kIndex);
  }
  const std::size_t slash = url.rfind('/');
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  std::string name = url.substr(start);
  // "." and ".." would name the target folder or Harvel's own folder.
  if (name.empty() || name == "." || name == "..")
    return std::string(kIndex);
  ReplaceFormatCharacters(name);
  return name;
}

void ReplaceFormatCharacters(std::string& name) {
  std::string replaced;
  std::size_t copied = 0;
  for (std::size_t at = 0; at < name.size(); ++at) {
    const std::size_t length = FormatCharacterLength(name, at);
    if (length == 0)
      continue;
    replaced.append(name, copied, at - copied);
    replaced += '_';
    at += length - 1;
    copied = at + 1;
  }
  if (copied == 0)
    return;
  replaced.append(name, copied);
  name = std::move(replaced);
}

}  // namespace harvel
