#include "crawl/modern/css_urls.h"

#include "common/ascii_text.h"

namespace harvel {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

class CssScanner {
 public:
  explicit CssScanner(std::string_view css) : css_(css) {}

  std::vector<std::string> run() {
    while (pos_ < css_.size()) {
      if (css_.compare(pos_, 2, "/*") == 0) {
        skipComment();
      } else if (StartsWithIgnoringAsciiCase(css_.substr(pos_), "@import")) {
        skipImport();
      } else if (StartsWithIgnoringAsciiCase(css_.substr(pos_), "url(")) {
        pos_ += 4;
        readUrlBody();
      } else if (StartsWithIgnoringAsciiCase(css_.substr(pos_), "image-set(")) {
        pos_ += 10;
        readImageSet();
      } else if (css_[pos_] == '"' || css_[pos_] == '\'') {
        readString();  // a string elsewhere is no URL, but may hold "url("
      } else {
        ++pos_;
      }
    }
    return std::move(urls_);
  }

 private:
  void skipComment() {
    const std::size_t end = css_.find("*/", pos_ + 2);
    pos_ = end == std::string_view::npos ? css_.size() : end + 2;
  }

  void skipImport() {
    pos_ += 7;
    while (pos_ < css_.size() && css_[pos_] != ';') {
      if (css_[pos_] == '"' || css_[pos_] == '\'') {
        readString();
      } else {
        ++pos_;
      }
    }
  }

  // A quoted string from its opening quote at pos_; backslash escapes undone.
  std::string readString() {
    const char quote = css_[pos_++];
    std::string text;
    while (pos_ < css_.size() && css_[pos_] != quote) {
      const char c = css_[pos_++];
      if (c == '\\' && pos_ < css_.size()) {
        text += css_[pos_++];
      } else if (c == '\n') {
        return text;  // an unclosed string ends at its line
      } else {
        text += c;
      }
    }
    if (pos_ < css_.size())
      ++pos_;
    return text;
  }

  void skipSpaces() {
    while (pos_ < css_.size() && IsSpace(css_[pos_]))
      ++pos_;
  }

  // After "url(": a quoted or a bare URL up to ")".
  void readUrlBody() {
    skipSpaces();
    std::string url;
    if (pos_ < css_.size() && (css_[pos_] == '"' || css_[pos_] == '\'')) {
      url = readString();
      const std::size_t close = css_.find(')', pos_);
      pos_ = close == std::string_view::npos ? css_.size() : close + 1;
    } else {
      while (pos_ < css_.size() && css_[pos_] != ')') {
        const char c = css_[pos_++];
        if (c == '\\' && pos_ < css_.size()) {
          url += css_[pos_++];
        } else {
          url += c;
        }
      }
      if (pos_ < css_.size())
        ++pos_;
      while (!url.empty() && IsSpace(url.back()))
        url.pop_back();
    }
    add(std::move(url));
  }

  void readImageSet() {
    int depth = 1;
    while (pos_ < css_.size() && depth > 0) {
      const char c = css_[pos_];
      if (c == '"' || c == '\'') {
        add(readString());
      } else if (StartsWithIgnoringAsciiCase(css_.substr(pos_), "url(")) {
        pos_ += 4;
        readUrlBody();
      } else {
        if (c == '(')
          ++depth;
        if (c == ')')
          --depth;
        ++pos_;
      }
    }
  }

  void add(std::string url) {
    if (url.empty() || StartsWithIgnoringAsciiCase(url, "data:"))
      return;
    urls_.push_back(std::move(url));
  }

  std::string_view css_;
  std::size_t pos_ = 0;
  std::vector<std::string> urls_;
};

}  // namespace

std::vector<std::string> CssUrls(std::string_view css) {
  return CssScanner(css).run();
}

}  // namespace harvel
