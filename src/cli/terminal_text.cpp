#include "cli/terminal_text.h"

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

// Where each character of a TerminalLine starts.
std::vector<std::size_t> CharacterStarts(std::string_view line) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < line.size();) {
    starts.push_back(i);
    const std::size_t length = SequenceLength(line, i);
    i += length == 0 ? 1 : length;
  }
  return starts;
}

int Columns(std::string_view line, std::size_t start) {
  return static_cast<unsigned char>(line[start]) < 0x80 ? 1 : 2;
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
  for (std::size_t start : CharacterStarts(line))
    columns += Columns(line, start);
  return columns;
}

std::string FirstColumns(std::string_view line, int columns) {
  int used = 0;
  for (std::size_t start : CharacterStarts(line)) {
    used += Columns(line, start);
    if (used > columns)
      return std::string(line.substr(0, start));
  }
  return std::string(line);
}

std::string LastColumns(std::string_view line, int columns) {
  const std::vector<std::size_t> starts = CharacterStarts(line);
  int used = 0;
  for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
    used += Columns(line, *it);
    if (used > columns) {
      const std::size_t next = it == starts.rbegin() ? line.size() : *(it - 1);
      return std::string(line.substr(next));
    }
  }
  return std::string(line);
}

}  // namespace harvel
