#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace harvel {

// A file in the initialization-file layout ("[section]" lines and "key=value"
// lines), read and written the way the Windows profile functions do it:
// - section and key names match without regard to case (ASCII letters);
// - spaces around names and values are dropped, then one pair of double quotes
//   around a value;
// - the first matching section, and in it the first matching key, wins;
// - a write replaces the line of an existing key, adds a missing key after the
//   last key of its section and a missing section at the end of the file; every
//   other line stays as it was, line ends included.
// The text is parsed once; lookups do not read it again. It is bytes in an
// ASCII-compatible encoding: UTF-8, or code page 932, whose second bytes may
// look like "[" or "]" and are skipped when `cp932` is set.
class ProfileFile {
 public:
  explicit ProfileFile(std::string_view text = {}, bool cp932 = false);

  // The value of `key` in `section`, nullopt when there is no such key.
  std::optional<std::string_view> Get(std::string_view section, std::string_view key) const;

  // Writes `key=value` into `section`. Line breaks in any of the three would
  // break the layout and are written as spaces.
  void Set(std::string_view section, std::string_view key, std::string_view value);

  // The whole file; untouched lines come back byte for byte, new lines end in
  // CR LF.
  std::string Text() const;

 private:
  enum class LineEnd : std::uint8_t { kNone, kLf, kCr, kCrLf };
  enum class LineKind : std::uint8_t { kHeader, kKey, kOther };
  struct Line {
    std::string text;  // several consecutive kOther lines are kept as one
    LineEnd end;
    LineKind kind;
  };
  // The lines of one section, its header first; the first section holds the
  // lines before any header and has none.
  using Section = std::vector<Line>;

  void AddLine(std::string_view text, LineEnd end);
  void EndLastLine();
  bool NamesEqual(std::string_view a, std::string_view b) const;
  std::string FoldedName(std::string_view name) const;
  std::string_view SectionName(std::string_view headerLine) const;

  bool cp932_;
  std::vector<Section> sections_;
  std::unordered_map<std::string, std::size_t> firstSection_;  // folded name -> index
};

// The value text to write so that reading it back gives `value` unchanged:
// quoted when spaces around it or a pair of quotes would otherwise be lost.
// Line breaks cannot be kept in a value and become spaces.
std::string ProfileValueText(std::string_view value);

}  // namespace harvel
