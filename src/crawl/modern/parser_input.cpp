#include "crawl/modern/nesting_limit.h"

#include <array>
#include <utility>
#include <vector>

#include "crawl/modern/url_ending.h"

namespace harvel {
namespace {

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsNameChar(char c) {
  return IsLetter(c) || (c >= '0' && c <= '9') || c == '-' || c == ':' || c == '_';
}

// Elements that open nothing: void elements, and those that the parser closes
// by themselves at the next of their kind (p, li, td, a ...), which real pages
// rarely close.
bool OpensNothing(std::string_view name) {
  static constexpr std::array<std::string_view, 39> kNames = {
      "a",     "nobr",   "button",   "area",     "base",     "br",      "col",    "embed",
      "hr",    "img",    "input",    "link",     "meta",     "param",   "source", "track",
      "wbr",   "keygen", "frame",    "image",    "basefont", "bgsound", "p",      "li",
      "dt",    "dd",     "option",   "optgroup", "td",       "th",      "tr",     "thead",
      "tbody", "tfoot",  "colgroup", "rb",       "rt",       "rp",      "html"};
  for (std::string_view known : kNames) {
    if (name == known)
      return true;
  }
  return false;
}

// Elements whose content is text up to their end tag.
bool HoldsRawText(std::string_view name) {
  return name == "script" || name == "style" || name == "textarea" || name == "title" ||
         name == "xmp" || name == "noembed" || name == "noframes" || name == "iframe";
}

std::size_t FindNoCase(std::string_view text, std::string_view lowerWord, std::size_t from) {
  for (std::size_t at = text.find('<', from); at != std::string_view::npos;
       at = text.find('<', at + 1)) {
    if (AsciiLower(text.substr(at, lowerWord.size())) == lowerWord)
      return at;
  }
  return std::string_view::npos;
}

// The position just behind the ">" that ends the tag whose name ends at `from`.
std::size_t TagEnd(std::string_view page, std::size_t from) {
  std::size_t pos = from;
  while (pos < page.size() && page[pos] != '>') {
    const char c = page[pos];
    if ((c == '"' || c == '\'') && pos > 0 && page[pos - 1] == '=') {
      const std::size_t close = page.find(c, pos + 1);
      if (close == std::string_view::npos)
        return page.size();
      pos = close + 1;
    } else {
      ++pos;
    }
  }
  return pos < page.size() ? pos + 1 : page.size();
}

}  // namespace

std::optional<std::string> LimitNesting(std::string_view page, int limit) {
  std::vector<std::pair<std::size_t, std::size_t>> dropped;  // [begin, end) of tags
  int depth = 0;
  std::size_t pos = 0;
  while ((pos = page.find('<', pos)) != std::string_view::npos) {
    const std::size_t open = pos;
    if (page.compare(pos, 4, "<!--") == 0) {
      const std::size_t end = page.find("-->", pos + 4);
      pos = end == std::string_view::npos ? page.size() : end + 3;
      continue;
    }
    const bool endTag = pos + 1 < page.size() && page[pos + 1] == '/';
    const std::size_t nameStart = pos + (endTag ? 2 : 1);
    if (nameStart >= page.size() || !IsLetter(page[nameStart])) {
      ++pos;
      continue;
    }
    std::size_t nameEnd = nameStart;
    while (nameEnd < page.size() && IsNameChar(page[nameEnd]))
      ++nameEnd;
    const std::string name = AsciiLower(page.substr(nameStart, nameEnd - nameStart));
    pos = TagEnd(page, nameEnd);
    if (endTag) {
      if (!OpensNothing(name) && depth > 0)
        --depth;
      continue;
    }
    if (HoldsRawText(name)) {
      const std::size_t end = FindNoCase(page, "</" + name, pos);
      pos = end == std::string_view::npos ? page.size() : end;
      continue;
    }
    const bool selfClosing = pos >= 2 && page[pos - 1] == '>' && page[pos - 2] == '/';
    if (OpensNothing(name) || selfClosing)
      continue;
    if (depth >= limit) {
      dropped.emplace_back(open, pos);
    } else {
      ++depth;
    }
  }
  if (dropped.empty())
    return std::nullopt;
  std::string kept;
  kept.reserve(page.size());
  std::size_t from = 0;
  for (const auto& [begin, end] : dropped) {
    kept.append(page.substr(from, begin - from));
    from = end;
  }
  kept.append(page.substr(from));
  return kept;
}

}  // namespace harvel
