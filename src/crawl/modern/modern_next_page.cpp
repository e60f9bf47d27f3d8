#include <gumbo.h>

#include <optional>
#include <string>
#include <vector>

#include "common/ascii_text.h"
#include "common/url_parts.h"
#include "crawl/link_resolver.h"
#include "crawl/modern/page_references.h"
#include "crawl/modern/parser_input.h"
#include "crawl/next_page_link.h"

namespace harvel {
namespace {

// The text an element holds, its descendants' included, up to `limit` bytes.
void AppendText(const GumboNode* node, std::string& text, std::size_t limit) {
  std::vector<const GumboNode*> stack{node};
  while (!stack.empty() && text.size() < limit) {
    const GumboNode* current = stack.back();
    stack.pop_back();
    if (current->type == GUMBO_NODE_TEXT || current->type == GUMBO_NODE_WHITESPACE) {
      text += current->v.text.text;
    } else if (current->type == GUMBO_NODE_ELEMENT) {
      const GumboVector& children = current->v.element.children;
      for (unsigned int i = children.length; i > 0; --i)
        stack.push_back(static_cast<const GumboNode*>(children.data[i - 1]));
    }
  }
}

struct NextPageSearch {
  std::optional<std::string> base;
  std::optional<std::string> byRel;
  std::optional<std::string> byMarker;

  void element(const GumboNode* node) {
    const GumboElement& element = node->v.element;
    const GumboAttribute* href = gumbo_get_attribute(&element.attributes, "href");
    if (element.tag == GUMBO_TAG_BASE && href != nullptr && !base)
      base = href->value;
    if ((element.tag != GUMBO_TAG_A && element.tag != GUMBO_TAG_LINK) || href == nullptr)
      return;
    const std::string_view value = href->value;
    if (value.empty() || value.front() == '#')
      return;
    const GumboAttribute* rel = gumbo_get_attribute(&element.attributes, "rel");
    if (rel != nullptr && RelSaysNext(rel->value)) {
      if (!byRel)
        byRel = std::string(value);
      return;
    }
    if (element.tag != GUMBO_TAG_A || byMarker)
      return;
    const GumboAttribute* label = gumbo_get_attribute(&element.attributes, "aria-label");
    std::string text;
    AppendText(node, text, 256);
    if ((label != nullptr && IsNextMarker(label->value)) || IsNextMarker(text))
      byMarker = std::string(value);
  }
};

}  // namespace

std::optional<std::string> ModernNextPageLink(std::string_view page, const std::string& pageUrl) {
  const std::string input = ParserInput(page.substr(0, kModernPageLimit), kNestingLimit);
  GumboOptions options = kGumboDefaultOptions;
  options.max_errors = 0;
  GumboOutput* output = gumbo_parse_with_options(&options, input.data(), input.size());
  if (output == nullptr)
    return std::nullopt;
  NextPageSearch search;
  std::vector<const GumboNode*> stack{output->document};
  while (!stack.empty() && !search.byRel) {
    const GumboNode* node = stack.back();
    stack.pop_back();
    const GumboVector* children = nullptr;
    if (node->type == GUMBO_NODE_DOCUMENT) {
      children = &node->v.document.children;
    } else if (node->type == GUMBO_NODE_ELEMENT) {
      search.element(node);
      children = &node->v.element.children;
    }
    if (children == nullptr)
      continue;
    for (unsigned int i = children->length; i > 0; --i)
      stack.push_back(static_cast<const GumboNode*>(children->data[i - 1]));
  }
  gumbo_destroy_output(&options, output);

  const std::optional<std::string>& href = search.byRel ? search.byRel : search.byMarker;
  if (!href)
    return std::nullopt;
  std::string base = pageUrl;
  if (search.base) {
    if (std::optional<std::string> resolved = ResolveLink(pageUrl, *search.base))
      base = std::move(*resolved);
  }
  std::optional<std::string> url = ResolveLink(base, *href);
  if (!url || !IsDownloadableUrl(*url))
    return std::nullopt;
  return url;
}

}  // namespace harvel
