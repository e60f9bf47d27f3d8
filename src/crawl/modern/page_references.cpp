#include "crawl/modern/page_references.h"

#include <gumbo.h>

#include <array>
#include <optional>
#include <utility>

#include "common/ascii_text.h"
#include "common/url_parts.h"
#include "crawl/link_resolver.h"
#include "crawl/modern/css_urls.h"
#include "crawl/modern/parser_input.h"
#include "crawl/modern/srcset.h"
#include "crawl/modern/url_ending.h"

namespace harvel {
namespace {

struct RawReference {
  ReferenceKind kind;
  std::string text;  // as written, character references decoded
};

bool HoldsReplacementCharacter(std::string_view text) {
  return text.find("\xEF\xBF\xBD") != std::string_view::npos;
}

// An attribute's value. The parser reads the page as UTF-8 and replaces bytes
// that are not UTF-8 (a Shift_JIS page) with U+FFFD; a URL is then taken as it
// stands in the page, so that its bytes reach the server unchanged.
std::string ValueOf(const GumboAttribute& attribute) {
  std::string_view value = attribute.value;
  if (!HoldsReplacementCharacter(value))
    return std::string(value);
  std::string_view original(attribute.original_value.data, attribute.original_value.length);
  if (original.size() >= 2 && (original.front() == '"' || original.front() == '\'') &&
      original.back() == original.front()) {
    original = original.substr(1, original.size() - 2);
  }
  return std::string(original);
}

const GumboAttribute* Attribute(const GumboElement& element, const char* name) {
  return gumbo_get_attribute(&element.attributes, name);
}

bool IsPictureMetaName(std::string_view name) {
  static constexpr std::array<std::string_view, 8> kNames = {
      "og:image",          "og:image:url", "og:image:secure_url", "twitter:image",
      "twitter:image:src", "image",        "thumbnail",           "msapplication-tileimage"};
  const std::string lower = AsciiLower(Trimmed(name, kHtmlSpace));
  for (std::string_view known : kNames) {
    if (lower == known)
      return true;
  }
  return false;
}

// The icons a browser or a phone shows for the page.
bool IsIconRel(std::string_view rel) {
  return HoldsWordIgnoringAsciiCase(rel, "icon") ||
         HoldsWordIgnoringAsciiCase(rel, "apple-touch-icon") ||
         HoldsWordIgnoringAsciiCase(rel, "apple-touch-icon-precomposed") ||
         HoldsWordIgnoringAsciiCase(rel, "mask-icon") ||
         HoldsWordIgnoringAsciiCase(rel, "fluid-icon");
}

bool IsLazyPictureName(std::string_view name) {
  static constexpr std::array<std::string_view, 10> kNames = {
      "data-src",  "data-original", "data-lazy-src", "data-lazy",       "data-large-file",
      "data-full", "data-full-src", "data-hi-res",   "data-zoom-image", "data-orig-file"};
  for (std::string_view known : kNames) {
    if (name == known)
      return true;
  }
  return false;
}

class ReferenceCollector {
 public:
  void element(const GumboElement& element) {
    const GumboTag tag = element.tag;
    const bool html = element.tag_namespace == GUMBO_NAMESPACE_HTML;
    if (html && tag == GUMBO_TAG_BASE) {
      if (const GumboAttribute* href = Attribute(element, "href"); href && !base_)
        base_ = ValueOf(*href);
      return;
    }
    if (html && tag == GUMBO_TAG_META) {
      meta(element);
      return;
    }
    if (html && tag == GUMBO_TAG_LINK) {
      link(element);
      return;
    }
    for (unsigned int i = 0; i < element.attributes.length; ++i) {
      const auto& attribute = *static_cast<const GumboAttribute*>(element.attributes.data[i]);
      this->attribute(tag, html, attribute);
    }
  }

  void styleSheet(std::string_view css) {
    for (std::string& url : CssUrls(css))
      add(ReferenceKind::Picture, std::move(url));
  }

  // Scripts build pictures from strings (galleries, lightboxes, document.write,
  // JSON-LD): every quoted string that is a URL with a picture ending is taken.
  void scriptText(std::string_view script) {
    for (std::size_t open = script.find_first_of("\"'"); open != std::string_view::npos;
         open = script.find_first_of("\"'", open + 1)) {
      const std::size_t close = script.find(script[open], open + 1);
      if (close == std::string_view::npos)
        continue;
      const std::string_view text = script.substr(open + 1, close - open - 1);
      if (text.empty() || text.size() > 2048 ||
          text.find_first_of(" \t\r\n<>(){};,'\"") != std::string_view::npos) {
        continue;
      }
      std::string url;
      for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '/')
          continue;  // JSON writes "\/" for "/"
        url += text[i];
      }
      // A name ending alone (".gif" in `name.endsWith(".gif")`) names no file.
      const std::string_view name = LastPathSegment(url);
      if (name.find_first_not_of('.') < name.rfind('.') &&
          IsPictureTypeEnding(UrlEnding(url), false))
        add(ReferenceKind::Picture, std::move(url));
    }
  }

  const std::optional<std::string>& base() const { return base_; }
  std::vector<RawReference>& references() { return references_; }

 private:
  void add(ReferenceKind kind, std::string text) {
    const std::string_view trimmed = Trimmed(text, kHtmlSpace);
    if (trimmed.empty())
      return;
    references_.push_back(RawReference{kind, std::string(trimmed)});
  }

  void addSrcset(std::string_view srcset) {
    add(ReferenceKind::Picture, LargestSrcsetCandidate(srcset));
  }

  void attribute(GumboTag tag, bool html, const GumboAttribute& attribute) {
    const std::string_view name = attribute.name;
    if (name == "style") {
      styleSheet(attribute.value);
    } else if (name == "background" || name == "lowsrc" || name == "poster") {
      add(ReferenceKind::Picture, ValueOf(attribute));
    } else if (name == "srcset" || name == "imagesrcset") {
      addSrcset(attribute.value);
    } else if (name == "src") {
      if (html && (tag == GUMBO_TAG_IMG || tag == GUMBO_TAG_INPUT)) {
        add(ReferenceKind::Picture, ValueOf(attribute));
      } else if (html && (tag == GUMBO_TAG_FRAME || tag == GUMBO_TAG_IFRAME)) {
        add(ReferenceKind::Frame, ValueOf(attribute));
      }
    } else if (name == "href") {
      if (tag == GUMBO_TAG_A || tag == GUMBO_TAG_AREA) {
        add(ReferenceKind::Link, ValueOf(attribute));
      } else if (!html && tag == GUMBO_TAG_IMAGE) {
        add(ReferenceKind::Picture, ValueOf(attribute));  // an svg <image>
      }
    } else if (name.starts_with("data-")) {
      lazyAttribute(name, attribute, html && (tag == GUMBO_TAG_IMG || tag == GUMBO_TAG_SOURCE));
    }
  }

  // Lazy loading keeps the picture in a data-* attribute until it is shown;
  // such a value is taken when it is a srcset, holds url(...) or names a picture.
  // On an img or source, the usual lazy attributes hold the picture even when
  // its URL has no ending (a CDN's): it is then taken by its type once fetched.
  void lazyAttribute(std::string_view name, const GumboAttribute& attribute, bool onPicture) {
    const std::string value = ValueOf(attribute);
    if (name.ends_with("srcset")) {
      addSrcset(value);
    } else if (value.find("url(") != std::string::npos) {
      styleSheet(value);
    } else {
      const std::string_view url = Trimmed(value, kHtmlSpace);
      if (url.empty() || url.find_first_of(" \t\n\r\f{}[]<>\"'") != std::string_view::npos)
        return;
      if (IsPictureTypeEnding(UrlEnding(url), false) || (onPicture && IsLazyPictureName(name)))
        add(ReferenceKind::Picture, std::string(url));
    }
  }

  void meta(const GumboElement& element) {
    const GumboAttribute* content = Attribute(element, "content");
    if (content == nullptr)
      return;
    if (const GumboAttribute* equiv = Attribute(element, "http-equiv");
        equiv && AsciiLower(Trimmed(equiv->value, kHtmlSpace)) == "refresh") {
      refresh(ValueOf(*content));
      return;
    }
    for (const char* key : {"property", "name", "itemprop"}) {
      const GumboAttribute* name = Attribute(element, key);
      if (name && IsPictureMetaName(name->value)) {
        add(ReferenceKind::Picture, ValueOf(*content));
        return;
      }
    }
  }

  // "5; URL=next.html": an entry page that moves on by itself links there.
  void refresh(std::string_view content) {
    const std::size_t semicolon = content.find_first_of(";,");
    if (semicolon == std::string_view::npos)
      return;
    std::string_view target = Trimmed(content.substr(semicolon + 1), kHtmlSpace);
    if (AsciiLower(target.substr(0, 3)) == "url") {
      target = Trimmed(target.substr(3), kHtmlSpace);
      if (target.empty() || target.front() != '=')
        return;
      target = Trimmed(target.substr(1), kHtmlSpace);
    }
    if (target.size() >= 2 && (target.front() == '\'' || target.front() == '"') &&
        target.back() == target.front()) {
      target = target.substr(1, target.size() - 2);
    }
    add(ReferenceKind::Link, std::string(target));
  }

  void link(const GumboElement& element) {
    const GumboAttribute* rel = Attribute(element, "rel");
    const GumboAttribute* href = Attribute(element, "href");
    if (rel == nullptr)
      return;
    if (IsIconRel(rel->value)) {
      if (href)
        add(ReferenceKind::Icon, ValueOf(*href));
    } else if (HoldsWordIgnoringAsciiCase(rel->value, "image_src")) {
      if (href)
        add(ReferenceKind::Picture, ValueOf(*href));
    } else if (HoldsWordIgnoringAsciiCase(rel->value, "preload")) {
      const GumboAttribute* as = Attribute(element, "as");
      if (as == nullptr || AsciiLower(Trimmed(as->value, kHtmlSpace)) != "image")
        return;
      if (const GumboAttribute* srcset = Attribute(element, "imagesrcset")) {
        addSrcset(srcset->value);
      } else if (href) {
        add(ReferenceKind::Picture, ValueOf(*href));
      }
    }
  }

  std::optional<std::string> base_;
  std::vector<RawReference> references_;
};

void Collect(const GumboNode* root, ReferenceCollector& collector) {
  // Depth-first in document order, without recursion: pages may nest deeply.
  std::vector<const GumboNode*> stack{root};
  while (!stack.empty()) {
    const GumboNode* node = stack.back();
    stack.pop_back();
    const GumboVector* children = nullptr;
    if (node->type == GUMBO_NODE_DOCUMENT) {
      children = &node->v.document.children;
    } else if (node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE) {
      const GumboElement& element = node->v.element;
      collector.element(element);
      children = &element.children;
      if (element.tag == GUMBO_TAG_STYLE || element.tag == GUMBO_TAG_SCRIPT) {
        for (unsigned int i = 0; i < children->length; ++i) {
          const auto* child = static_cast<const GumboNode*>(children->data[i]);
          if (child->type != GUMBO_NODE_TEXT && child->type != GUMBO_NODE_WHITESPACE)
            continue;
          if (element.tag == GUMBO_TAG_STYLE) {
            collector.styleSheet(child->v.text.text);
          } else {
            collector.scriptText(child->v.text.text);
          }
        }
        continue;
      }
    }
    if (children == nullptr)
      continue;
    for (unsigned int i = children->length; i > 0; --i)
      stack.push_back(static_cast<const GumboNode*>(children->data[i - 1]));
  }
}

bool IsLeftOut(std::string_view text) {
  const std::string lower = AsciiLower(text.substr(0, 11));
  return lower.starts_with("javascript:") || lower.starts_with("data:") ||
         lower.starts_with("about:") || lower.starts_with("#") || lower.starts_with("blob:");
}

}  // namespace

std::vector<PageReference> ReadPageReferences(std::string_view page, const std::string& pageUrl) {
  const std::string input = ParserInput(page.substr(0, kModernPageLimit), kNestingLimit);
  GumboOptions options = kGumboDefaultOptions;
  options.max_errors = 0;  // the parse errors are not wanted; keep none of them
  GumboOutput* output = gumbo_parse_with_options(&options, input.data(), input.size());
  if (output == nullptr)
    return {};
  ReferenceCollector collector;
  Collect(output->document, collector);
  gumbo_destroy_output(&options, output);

  std::string base = pageUrl;
  if (collector.base()) {
    if (std::optional<std::string> resolved = ResolveLink(pageUrl, *collector.base()))
      base = std::move(*resolved);
  }
  const LinkResolver resolver(base);
  std::vector<PageReference> references;
  references.reserve(collector.references().size());
  for (RawReference& raw : collector.references()) {
    if (IsLeftOut(raw.text))
      continue;
    std::optional<std::string> url = resolver.resolve(raw.text);
    if (!url)
      continue;
    const std::string scheme = UrlScheme(*url);
    if (!IsDownloadableScheme(scheme) && !(scheme == "mailto" && raw.kind == ReferenceKind::Link))
      continue;
    references.push_back(PageReference{raw.kind, std::move(*url)});
  }
  return references;
}

}  // namespace harvel
