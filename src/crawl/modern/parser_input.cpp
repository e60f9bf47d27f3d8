#include "crawl/modern/parser_input.h"

#include <optional>
#include <vector>

#include "crawl/modern/html_elements.h"
#include "crawl/modern/open_elements.h"
#include "crawl/modern/url_ending.h"

namespace harvel {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

struct Attribute {
  std::string_view name;
  std::string_view value;
  bool hasValue = false;
};

struct Tag {
  std::string name;  // lower case
  std::vector<Attribute> attributes;
  bool selfClosing = false;
};

class ParserInputWriter {
 public:
  ParserInputWriter(std::string_view page, int nestingLimit)
      : page_(page), limit_(static_cast<std::size_t>(nestingLimit)) {
    out_.reserve(page.size() + page.size() / 8);
  }

  std::string run() {
    while (pos_ < page_.size()) {
      const std::size_t open = page_.find('<', pos_);
      if (open == std::string_view::npos) {
        out_.append(page_.substr(pos_));
        break;
      }
      out_.append(page_.substr(pos_, open - pos_));
      pos_ = open;
      markup();
    }
    return std::move(out_);
  }

 private:
  bool at(std::size_t offset, char c) const {
    return pos_ + offset < page_.size() && page_[pos_ + offset] == c;
  }

  void skipPast(char c) {
    const std::size_t end = page_.find(c, pos_);
    pos_ = end == std::string_view::npos ? page_.size() : end + 1;
  }

  // At a "<": a tag, a comment, a doctype, or text.
  void markup() {
    if (page_.compare(pos_, 4, "<!--") == 0) {
      skipComment();
    } else if (at(1, '!') || at(1, '?')) {
      skipPast('>');  // a doctype or something the parser takes for a comment
    } else if (at(1, '/') && pos_ + 2 < page_.size() && IsLetter(page_[pos_ + 2])) {
      pos_ += 2;
      if (std::optional<Tag> tag = readTag())
        endTag(*tag);
    } else if (at(1, '/') && at(2, '>')) {
      pos_ += 3;
    } else if (at(1, '/') && pos_ + 2 < page_.size()) {
      skipPast('>');
    } else if (pos_ + 1 < page_.size() && IsLetter(page_[pos_ + 1])) {
      ++pos_;
      if (std::optional<Tag> tag = readTag())
        startTag(*tag);
    } else {
      out_ += "&lt;";
      ++pos_;
    }
  }

  void skipComment() {
    pos_ += 4;
    if (at(0, '>')) {
      ++pos_;
      return;
    }
    if (at(0, '-') && at(1, '>')) {
      pos_ += 2;
      return;
    }
    for (std::size_t dashes = page_.find("--", pos_); dashes != std::string_view::npos;
         dashes = page_.find("--", dashes + 1)) {
      if (page_.compare(dashes + 2, 1, ">") == 0) {
        pos_ = dashes + 3;
        return;
      }
      if (page_.compare(dashes + 2, 2, "!>") == 0) {
        pos_ = dashes + 4;
        return;
      }
    }
    pos_ = page_.size();
  }

  // The name and attributes of a tag whose name starts at pos_; nullopt when
  // the page ends inside it (the parser drops such a tag).
  std::optional<Tag> readTag() {
    Tag tag;
    const std::size_t nameStart = pos_;
    while (pos_ < page_.size() && !IsSpace(page_[pos_]) && page_[pos_] != '/' && page_[pos_] != '>')
      ++pos_;
    tag.name = AsciiLower(page_.substr(nameStart, pos_ - nameStart));
    for (;;) {
      while (pos_ < page_.size() && IsSpace(page_[pos_]))
        ++pos_;
      if (pos_ >= page_.size())
        return std::nullopt;
      const char c = page_[pos_];
      if (c == '>') {
        ++pos_;
        return tag;
      }
      if (c == '/') {
        ++pos_;
        if (at(0, '>')) {
          ++pos_;
          tag.selfClosing = true;
          return tag;
        }
        continue;
      }
      Attribute attribute;
      const std::size_t start = pos_++;  // a name may start with "="
      while (pos_ < page_.size() && !IsSpace(page_[pos_]) && page_[pos_] != '/' &&
             page_[pos_] != '>' && page_[pos_] != '=')
        ++pos_;
      attribute.name = page_.substr(start, pos_ - start);
      while (pos_ < page_.size() && IsSpace(page_[pos_]))
        ++pos_;
      if (at(0, '=')) {
        ++pos_;
        while (pos_ < page_.size() && IsSpace(page_[pos_]))
          ++pos_;
        if (pos_ >= page_.size())
          return std::nullopt;
        attribute.hasValue = true;
        const char quote = page_[pos_];
        if (quote == '"' || quote == '\'') {
          const std::size_t close = page_.find(quote, pos_ + 1);
          if (close == std::string_view::npos)
            return std::nullopt;
          attribute.value = page_.substr(pos_ + 1, close - pos_ - 1);
          pos_ = close + 1;
        } else {
          const std::size_t valueStart = pos_;
          while (pos_ < page_.size() && !IsSpace(page_[pos_]) && page_[pos_] != '>')
            ++pos_;
          attribute.value = page_.substr(valueStart, pos_ - valueStart);
        }
      }
      tag.attributes.push_back(attribute);
    }
  }

  bool inForeignContent() const {
    const OpenElements::Element* top = open_.top();
    return top != nullptr && top->space != Space::Html &&
           !IsIntegrationPoint(top->name, top->space);
  }

  // The attributes the parser gets: the first kAttributeLimit, and for html and
  // body tags what is left of the limit they share.
  void limitAttributes(Tag& tag) {
    std::size_t keep = kAttributeLimit;
    int* shared = tag.name == "html"   ? &htmlAttributes_
                  : tag.name == "body" ? &bodyAttributes_
                                       : nullptr;
    if (shared != nullptr)
      keep = static_cast<std::size_t>(kAttributeLimit - *shared);
    if (tag.attributes.size() > keep)
      tag.attributes.resize(keep);
    if (shared != nullptr)
      *shared += static_cast<int>(tag.attributes.size());
  }

  void startTag(Tag& tag) {
    limitAttributes(tag);
    Space space = Space::Html;
    if (inForeignContent()) {
      bool leaves = LeavesForeignContent(tag.name);
      if (tag.name == "font") {
        for (const Attribute& attribute : tag.attributes) {
          const std::string name = AsciiLower(attribute.name);
          leaves = leaves || name == "color" || name == "face" || name == "size";
        }
      }
      if (leaves) {
        while (inForeignContent())
          open_.pop();
      } else {
        space = open_.top()->space;
      }
    }
    if (tag.name == "svg")
      space = Space::Svg;
    else if (tag.name == "math")
      space = Space::Math;
    if (space == Space::Html && IsFormatting(tag.name))
      tag.name = "span";
    if (space != Space::Html && tag.selfClosing) {
      write(tag);
      return;
    }
    if (space == Space::Html) {
      if (HoldsText(tag.name)) {
        textElement(tag);
        return;
      }
      if (tag.name == "plaintext") {
        write(tag);
        appendText(page_.substr(pos_));
        pos_ = page_.size();
        return;
      }
      if (OneOf(tag.name, {"html", "body", "head"}) || IsVoid(tag.name)) {
        write(tag);
        return;
      }
      if (!closeBefore(tag.name))
        return;  // the parser ignores it
    }
    if (open_.size() >= limit_) {
      // Beyond the limit an element is left out, or closed at once when it has
      // attributes to read; what it holds follows it.
      if (!tag.attributes.empty()) {
        write(tag);
        out_ += "</" + tag.name + ">";
      }
      return;
    }
    write(tag);
    open_.push(tag.name, space);
    if (tag.name == "form")
      formOpen_ = true;
  }

  // What the parser closes before an HTML start tag; false when it ignores the tag.
  bool closeBefore(std::string_view name) {
    const bool table =
        OneOf(name, {"td", "th", "tr", "tbody", "thead", "tfoot", "caption", "colgroup"});
    if (table && open_.topmost(kTableEdge) < 0)
      return false;  // table parts outside a table
    if (name == "form" && formOpen_)
      return false;
    if (OneOf(name, {"td", "th"})) {
      closeFound(open_.inScope(open_.topmost(kCell), kTableEdge));
      openImplied(true);
    }
    if (name == "tr") {
      closeFound(open_.inScope(open_.topmost(kRow), kTableEdge));
      openImplied(false);
    }
    if (OneOf(name, {"tbody", "thead", "tfoot"}))
      closeFound(open_.inScope(open_.topmost(kRowGroup), kTableEdge));
    if (name == "li")
      closeFound(open_.inScope(open_.topmost("li"), kListStop));
    if (OneOf(name, {"dd", "dt"}))
      closeFound(open_.inScope(open_.topmost(kDefinition), kListStop));
    if (name == "button")
      closeFound(open_.inScope(open_.topmost("button"), kBoundary));
    if (name == "a")
      closeFound(open_.inScope(open_.topmost("a"), kSpecial));
    if (OneOf(name, {"option", "optgroup"}) && open_.top() && open_.top()->name == "option")
      open_.pop();
    if (name == "optgroup" && open_.top() && open_.top()->name == "optgroup")
      open_.pop();
    if (ClosesParagraph(name))
      closeFound(open_.inScope(open_.topmost("p"), kBoundary | kButton));
    if (IsHeading(name) && open_.top() && IsHeading(open_.top()->name))
      open_.pop();
    return true;
  }

  // A row without a body, and a cell without a row, are given one by the
  // parser.
  void openImplied(bool cell) {
    if (open_.size() + 2 > limit_)
      return;
    if (open_.inScope(open_.topmost(kRowGroup), kTableEdge) < 0)
      open_.push("tbody", Space::Html);
    if (cell && open_.inScope(open_.topmost(kRow), kTableEdge) < 0)
      open_.push("tr", Space::Html);
  }

  void closeFound(int at) {
    if (at >= 0)
      open_.popTo(at);
  }

  void endTag(Tag& tag) {
    std::string& name = tag.name;
    if (IsFormatting(name) && !(name == "font" && open_.topmost("font") >= 0))
      name = "span";
    int found = -1;
    if (name == "form") {
      if (!formOpen_)
        return;
      formOpen_ = false;
      // The parser takes the form out from under what it holds; counted as
      // open here unless nothing is open above it.
      if (open_.top() != nullptr && open_.top()->name == "form")
        open_.pop();
      out_ += "</form>";
      return;
    }
    if (IsHeading(name)) {
      found = open_.inScope(open_.topmost(kHeadingElement), kBoundary);
    } else if (name == "p") {
      found = open_.inScope(open_.topmost("p"), kBoundary | kButton);
    } else if (name == "li") {
      found = open_.inScope(open_.topmost("li"), kBoundary | kListEdge);
    } else if (OneOf(name, {"body", "html", "head", "br"})) {
      return;
    } else if (IsSpecialHtml(name)) {
      found = open_.inScope(open_.topmost(name), kBoundary);
    } else {
      found = open_.inScope(open_.topmost(name), kSpecial);
    }
    if (found < 0)
      return;  // it would close nothing: the parser is spared the search
    open_.popTo(found);
    out_ += "</" + name + ">";
  }

  // An element whose content is text: its start tag, the text up to its end
  // tag, and the end tag.
  void textElement(const Tag& tag) {
    write(tag);
    const std::string end = "</" + tag.name;
    std::size_t close = pos_;
    for (;;) {
      close = page_.find("</", close);
      if (close == std::string_view::npos)
        break;
      const std::size_t after = close + end.size();
      if (AsciiLower(page_.substr(close, end.size())) == end &&
          (after >= page_.size() || IsSpace(page_[after]) || page_[after] == '/' ||
           page_[after] == '>'))
        break;
      close += 2;
    }
    if (close == std::string_view::npos) {
      appendText(page_.substr(pos_));
      pos_ = page_.size();
      return;
    }
    appendText(page_.substr(pos_, close - pos_));
    pos_ = close + 2;
    readTag();  // the end tag, whose attributes mean nothing
    out_ += end + ">";
  }

  void appendText(std::string_view text) {
    for (std::size_t open = text.find('<'); open != std::string_view::npos; open = text.find('<')) {
      out_.append(text.substr(0, open));
      out_ += "&lt;";
      text.remove_prefix(open + 1);
    }
    out_.append(text);
  }

  void write(const Tag& tag) {
    out_ += '<';
    out_ += tag.name;
    for (const Attribute& attribute : tag.attributes) {
      out_ += ' ';
      out_.append(attribute.name);
      if (!attribute.hasValue)
        continue;
      out_ += "=\"";
      for (char c : attribute.value) {
        if (c == '"')
          out_ += "&quot;";
        else
          out_ += c;
      }
      out_ += '"';
    }
    out_ += tag.selfClosing ? "/>" : ">";
  }

  std::string_view page_;
  std::size_t limit_;
  std::size_t pos_ = 0;
  std::string out_;
  OpenElements open_;
  int htmlAttributes_ = 0;
  int bodyAttributes_ = 0;
  bool formOpen_ = false;
};

}  // namespace

std::string ParserInput(std::string_view page, int nestingLimit) {
  return ParserInputWriter(page, nestingLimit).run();
}

}  // namespace harvel
