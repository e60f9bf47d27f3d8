#include "crawl/modern/srcset.h"

#include <cstdlib>
#include <optional>

namespace harvel {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

struct Candidate {
  std::string_view url;
  std::optional<double> width;
  double density = 1.0;
};

// One descriptor ("800w", "2x", "1.5x"); others (heights, junk) are ignored.
void ReadDescriptor(std::string_view text, Candidate& candidate) {
  if (text.size() < 2)
    return;
  const char unit = text.back();
  const std::string number(text.substr(0, text.size() - 1));
  char* end = nullptr;
  const double value = std::strtod(number.c_str(), &end);
  if (end != number.c_str() + number.size() || !(value > 0))
    return;
  if (unit == 'w' || unit == 'W') {
    candidate.width = value;
  } else if (unit == 'x' || unit == 'X') {
    candidate.density = value;
  }
}

}  // namespace

std::string LargestSrcsetCandidate(std::string_view srcset) {
  std::optional<Candidate> widest;
  std::optional<Candidate> densest;
  std::size_t pos = 0;
  const std::size_t size = srcset.size();
  while (pos < size) {
    while (pos < size && (IsSpace(srcset[pos]) || srcset[pos] == ','))
      ++pos;
    if (pos >= size)
      break;
    const std::size_t urlStart = pos;
    while (pos < size && !IsSpace(srcset[pos]))
      ++pos;
    Candidate candidate;
    candidate.url = srcset.substr(urlStart, pos - urlStart);
    bool descriptorsFollow = true;
    if (candidate.url.back() == ',') {
      // A URL that ends with a comma ends its candidate there.
      while (!candidate.url.empty() && candidate.url.back() == ',')
        candidate.url.remove_suffix(1);
      descriptorsFollow = false;
    }
    if (descriptorsFollow) {
      // Descriptors up to the next comma outside parentheses.
      int depth = 0;
      std::size_t tokenStart = std::string_view::npos;
      for (; pos <= size; ++pos) {
        const char c = pos < size ? srcset[pos] : ',';
        const bool ends = (c == ',' && depth == 0) || (IsSpace(c) && depth == 0);
        if (ends) {
          if (tokenStart != std::string_view::npos)
            ReadDescriptor(srcset.substr(tokenStart, pos - tokenStart), candidate);
          tokenStart = std::string_view::npos;
          if (c == ',') {
            ++pos;
            break;
          }
          continue;
        }
        if (c == '(')
          ++depth;
        if (c == ')' && depth > 0)
          --depth;
        if (tokenStart == std::string_view::npos)
          tokenStart = pos;
      }
    }
    if (candidate.url.empty())
      continue;
    if (candidate.width) {
      if (!widest || *candidate.width > *widest->width)
        widest = candidate;
    } else if (!densest || candidate.density > densest->density) {
      densest = candidate;
    }
  }
  if (widest)
    return std::string(widest->url);
  return densest ? std::string(densest->url) : std::string();
}

}  // namespace harvel
