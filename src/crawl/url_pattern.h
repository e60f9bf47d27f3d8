#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace harvel {

// A shell-style pattern over a whole URL: `*` any run of characters (none
// included, "/" included), `?` any one character, `[abc]`, `[a-z]`, `[!a-z]`
// (or `[^a-z]`) one character of a set or outside it, `\` before a character
// that character itself; everything else stands for itself, case included.
// Matching runs the pattern as a set of positions, one step per character of
// the URL, so it takes time in proportion to the URL's length whatever the
// pattern holds (no backtracking).
class UrlPattern {
 public:
  UrlPattern() = default;  // matches the empty URL only
  static constexpr std::size_t kMaxLength = 1000;

  // The pattern, or nullopt with `error` set: an unclosed `[`, a `\` at the
  // end, a pattern longer than kMaxLength.
  static std::optional<UrlPattern> Parse(std::string_view text, std::string& error);

  bool matches(std::string_view url) const;

 private:
  struct Step {
    enum class Kind : std::uint8_t { Char, AnyChar, Set, Star } kind;
    bool negated = false;
    unsigned char c = 0;
    std::size_t set = 0;  // index into sets_
  };

  bool stepTakes(const Step& step, unsigned char c) const;

  std::vector<Step> steps_;
  std::vector<std::vector<bool>> sets_;  // 256 entries each
};

}  // namespace harvel
