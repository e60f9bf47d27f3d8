#include "common/ascii_text.h"

#include <algorithm>

namespace harvel {

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    c = AsciiLower(c);
  return lower;
}

std::string AsciiUpper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    c = AsciiUpper(c);
  return upper;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i]))
      return false;
  }
  return true;
}

bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsIgnoringAsciiCase(text.substr(text.size() - suffix.size()), suffix);
}

std::string_view Trimmed(std::string_view text, std::string_view space) {
  const std::size_t first = text.find_first_not_of(space);
  if (first == std::string_view::npos)
    return {};
  return text.substr(first, text.find_last_not_of(space) - first + 1);
}

bool HoldsWordIgnoringAsciiCase(std::string_view list, std::string_view word) {
  std::size_t start = list.find_first_not_of(kHtmlSpace);
  while (start != std::string_view::npos) {
    const std::size_t end = std::min(list.find_first_of(kHtmlSpace, start), list.size());
    if (EqualsIgnoringAsciiCase(list.substr(start, end - start), word))
      return true;
    start = list.find_first_not_of(kHtmlSpace, end);
  }
  return false;
}

}  // namespace harvel
