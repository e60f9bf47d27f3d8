#include "crawl/next_page_link.h"

#include <array>

#include "common/ascii_text.h"
#include "common/url_parts.h"
#include "crawl/link_resolver.h"

namespace harvel {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool IsNameEnd(char c) {
  return IsSpace(c) || c == '>' || c == '/' || c == '=';
}

// The attributes of one tag, from just after its name to its ">".
class TagAttributes {
 public:
  TagAttributes(std::string_view page, std::size_t pos) : page_(page), pos_(pos) {}

  // The next attribute; false at the end of the tag.
  bool next(std::string& name, std::string_view& value) {
    while (pos_ < page_.size() && (IsSpace(page_[pos_]) || page_[pos_] == '/'))
      ++pos_;
    if (pos_ >= page_.size() || page_[pos_] == '>')
      return false;
    const std::size_t nameStart = pos_;
    while (pos_ < page_.size() && !IsNameEnd(page_[pos_]))
      ++pos_;
    name = AsciiLower(page_.substr(nameStart, pos_ - nameStart));
    if (pos_ == nameStart)
      ++pos_;  // a stray "=": step over it
    while (pos_ < page_.size() && IsSpace(page_[pos_]))
      ++pos_;
    value = {};
    if (pos_ >= page_.size() || page_[pos_] != '=')
      return true;
    ++pos_;
    while (pos_ < page_.size() && IsSpace(page_[pos_]))
      ++pos_;
    if (pos_ < page_.size() && (page_[pos_] == '"' || page_[pos_] == '\'')) {
      const char quote = page_[pos_++];
      const std::size_t end = page_.find(quote, pos_);
      const std::size_t stop = end == std::string_view::npos ? page_.size() : end;
      value = page_.substr(pos_, stop - pos_);
      pos_ = end == std::string_view::npos ? stop : stop + 1;
    } else {
      const std::size_t start = pos_;
      while (pos_ < page_.size() && !IsSpace(page_[pos_]) && page_[pos_] != '>')
        ++pos_;
      value = page_.substr(start, pos_ - start);
    }
    return true;
  }

  std::size_t position() const { return pos_; }

 private:
  std::string_view page_;
  std::size_t pos_;
};

}  // namespace

bool RelSaysNext(std::string_view rel) {
  return HoldsWordIgnoringAsciiCase(rel, "next");
}

namespace {

// "<a" or "<link" followed by the end of the name, in any case, at `pos`.
std::size_t LinkTagNameEnd(std::string_view page, std::size_t pos) {
  for (std::string_view name : {std::string_view("a"), std::string_view("link")}) {
    const std::size_t end = pos + 1 + name.size();
    if (end < page.size() && AsciiLower(page.substr(pos + 1, name.size())) == name &&
        IsNameEnd(page[end])) {
      return end;
    }
  }
  return std::string_view::npos;
}

std::string_view TrimmedMarker(std::string_view text) {
  // Spaces, no-break spaces (U+00A0) and ideographic spaces (U+3000) around it.
  static constexpr std::array<std::string_view, 7> kSpaces = {" ",  "\t",       "\n",          "\r",
                                                              "\f", "\xC2\xA0", "\xE3\x80\x80"};
  for (bool trimmed = true; trimmed;) {
    trimmed = false;
    for (std::string_view space : kSpaces) {
      if (text.starts_with(space)) {
        text.remove_prefix(space.size());
        trimmed = true;
      }
      if (text.ends_with(space)) {
        text.remove_suffix(space.size());
        trimmed = true;
      }
    }
  }
  return text;
}

}  // namespace

bool IsNextMarker(std::string_view text) {
  static constexpr std::array<std::string_view, 6> kArrows = {">>", ">", "›", "»", "→", "＞"};
  static constexpr std::array<std::string_view, 5> kWords = {"next", "next page", "次へ",
                                                             "次のページ", "次のページへ"};
  std::string_view core = TrimmedMarker(text);
  if (core.empty())
    return false;
  // One arrow before or after the word, or the arrow alone.
  bool arrow = false;
  for (std::string_view a : kArrows) {
    if (core.ends_with(a)) {
      core = TrimmedMarker(core.substr(0, core.size() - a.size()));
      arrow = true;
      break;
    }
  }
  if (!arrow) {
    for (std::string_view a : kArrows) {
      if (core.starts_with(a)) {
        core = TrimmedMarker(core.substr(a.size()));
        arrow = true;
        break;
      }
    }
  }
  if (core.empty())
    return arrow;
  const std::string lower = AsciiLower(core);
  for (std::string_view word : kWords) {
    if (lower == word)
      return true;
  }
  return false;
}

std::optional<std::string> NextPageLink(std::string_view page, const std::string& pageUrl) {
  for (std::size_t pos = page.find('<'); pos != std::string_view::npos;
       pos = page.find('<', pos + 1)) {
    const std::size_t nameEnd = LinkTagNameEnd(page, pos);
    if (nameEnd == std::string_view::npos)
      continue;
    TagAttributes attributes(page, nameEnd);
    std::string name;
    std::string_view value;
    bool next = false;
    std::optional<std::string_view> href;
    while (attributes.next(name, value)) {
      if (name == "rel")
        next = next || RelSaysNext(value);
      else if (name == "href" && !href)
        href = value;
    }
    if (next && href && !href->empty() && href->front() != '#') {
      std::optional<std::string> url = ResolveLink(pageUrl, *href);
      if (url && IsDownloadableUrl(*url))
        return url;
    }
    pos = attributes.position();  // what the tag's values hold is no tag
  }
  return std::nullopt;
}

}  // namespace harvel
