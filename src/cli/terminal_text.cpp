#include "cli/terminal_text.h"

#include <locale.h>
#include <wchar.h>

#include <optional>
#include <vector>

#include "common/utf8_text.h"

namespace harvel {
namespace {

// The length of the UTF-8 sequence at `i`, or 0 when there is none.
std::size_t SequenceLength(std::string_view text, std::size_t i) {
  const std::optional<Utf8Char> c = DecodeUtf8(text.substr(i));
  return c ? c->length : 0;
}

// One character of a TerminalLine: where it starts and how many columns it
// takes.
struct Character {
  std::size_t start = 0;
  int columns = 1;
};

// The columns of every character as the C library's UTF-8 tables give them
// (wcwidth under C.UTF-8; every UTF-8 locale shares these widths), whatever
// locale the program runs in. Without such a locale, and for a character
// the tables do not know, a non-ASCII character counts as 2: a line is then
// never longer than counted, so it never wraps.
std::vector<Character> Characters(std::string_view line) {
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  const locale_t previous = utf8 != locale_t{} ? uselocale(utf8) : locale_t{};
  std::vector<Character> characters;
  for (std::size_t i = 0; i < line.size();) {
    const std::optional<Utf8Char> c = DecodeUtf8(line.substr(i));
    int columns = 1;
    if (c && c->codePoint >= 0x80) {
      const int width = utf8 != locale_t{} ? wcwidth(static_cast<wchar_t>(c->codePoint)) : -1;
      columns = width < 0 ? 2 : width;
    }
    characters.push_back({i, columns});
    i += c ? c->length : 1;
  }
  if (previous != locale_t{})
    uselocale(previous);
  return characters;
}

}  // namespace

std::string TerminalLine(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = SequenceLength(text, i);
    if (length == 0) {
      line += '?';
      ++i;
      continue;
    }
    const auto lead = static_cast<unsigned char>(text[i]);
    const bool c1 = lead == 0xc2 && static_cast<unsigned char>(text[i + 1]) < 0xa0;
    if (lead < 0x20 || lead == 0x7f || c1) {
      line += ' ';
    } else {
      line.append(text.substr(i, length));
    }
    i += length;
  }
  return line;
}

int TerminalColumns(std::string_view line) {
  int columns = 0;
  for (const Character& c : Characters(line))
    columns += c.columns;
  return columns;
}

std::string FirstColumns(std::string_view line, int columns) {
  int used = 0;
  for (const Character& c : Characters(line)) {
    used += c.columns;
    if (used > columns)
      return std::string(line.substr(0, c.start));
  }
  return std::string(line);
}

std::string LastColumns(std::string_view line, int columns) {
  const std::vector<Character> characters = Characters(line);
  int used = 0;
  for (auto it = characters.rbegin(); it != characters.rend(); ++it) {
    used += it->columns;
    if (used > columns) {
      const std::size_t next = it == characters.rbegin() ? line.size() : (it - 1)->start;
      return std::string(line.substr(next));
    }
  }
  return std::string(line);
}

}  // namespace harvel
