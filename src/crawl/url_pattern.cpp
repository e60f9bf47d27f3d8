#include "crawl/url_pattern.h"

#include <utility>

namespace harvel {

std::optional<UrlPattern> UrlPattern::Parse(std::string_view text, std::string& error) {
  if (text.size() > kMaxLength) {
    error = "a pattern is at most " + std::to_string(kMaxLength) + " characters";
    return std::nullopt;
  }
  UrlPattern pattern;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    Step step{Step::Kind::Char};
    if (c == '*') {
      if (!pattern.steps_.empty() && pattern.steps_.back().kind == Step::Kind::Star)
        continue;  // ** is *
      step.kind = Step::Kind::Star;
    } else if (c == '?') {
      step.kind = Step::Kind::AnyChar;
    } else if (c == '\\') {
      if (++i == text.size()) {
        error = "a pattern cannot end in \\";
        return std::nullopt;
      }
      step.c = static_cast<unsigned char>(text[i]);
    } else if (c == '[') {
      std::size_t j = i + 1;
      step.kind = Step::Kind::Set;
      if (j < text.size() && (text[j] == '!' || text[j] == '^')) {
        step.negated = true;
        ++j;
      }
      std::vector<bool> set(256, false);
      const std::size_t first = j;
      // A "]" first in the set is one of its characters.
      while (j < text.size() && (text[j] != ']' || j == first)) {
        const auto from = static_cast<unsigned char>(text[j]);
        if (j + 2 < text.size() && text[j + 1] == '-' && text[j + 2] != ']') {
          const auto to = static_cast<unsigned char>(text[j + 2]);
          for (unsigned v = from; v <= to; ++v)
            set[v] = true;
          j += 3;
        } else {
          set[from] = true;
          ++j;
        }
      }
      if (j >= text.size()) {
        error = "a [ without its ]";
        return std::nullopt;
      }
      step.set = pattern.sets_.size();
      pattern.sets_.push_back(std::move(set));
      i = j;
    } else {
      step.c = c;
    }
    pattern.steps_.push_back(step);
  }
  return pattern;
}

bool UrlPattern::stepTakes(const Step& step, unsigned char c) const {
  switch (step.kind) {
    case Step::Kind::Char:
      return step.c == c;
    case Step::Kind::AnyChar:
    case Step::Kind::Star:
      return true;
    case Step::Kind::Set:
      return sets_[step.set][c] != step.negated;
  }
  return false;
}

bool UrlPattern::matches(std::string_view url) const {
  const std::size_t count = steps_.size();
  // at[i]: the first i steps can match the URL read so far. Position `count`
  // is the whole pattern matched.
  std::vector<char> at(count + 1, 0);
  std::vector<char> next(count + 1, 0);
  const auto close = [&](std::vector<char>& positions) {
    // A star may match nothing: being before it is being after it too.
    for (std::size_t i = 0; i < count; ++i) {
      if (positions[i] && steps_[i].kind == Step::Kind::Star)
        positions[i + 1] = 1;
    }
  };
  at[0] = 1;
  close(at);
  for (const char ch : url) {
    const auto c = static_cast<unsigned char>(ch);
    std::fill(next.begin(), next.end(), 0);
    bool any = false;
    for (std::size_t i = 0; i < count; ++i) {
      if (!at[i] || !stepTakes(steps_[i], c))
        continue;
      // A star takes the character and stays; any other step moves on.
      next[steps_[i].kind == Step::Kind::Star ? i : i + 1] = 1;
      any = true;
    }
    if (!any)
      return false;
    close(next);
    at.swap(next);
  }
  return at[count] != 0;
}

}  // namespace harvel
