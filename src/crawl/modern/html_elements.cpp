#include "crawl/modern/html_elements.h"

#include <algorithm>
#include <array>

namespace harvel {
bool OneOf(std::string_view name, std::initializer_list<std::string_view> names) {
  for (std::string_view known : names) {
    if (name == known)
      return true;
  }
  return false;
}

bool IsHeading(std::string_view name) {
  return name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6';
}

bool IsVoid(std::string_view name) {
  static constexpr auto kNames = std::to_array<std::string_view>(
      {"area", "base", "basefont", "bgsound", "br", "col", "embed", "frame", "hr", "image", "img",
       "input", "keygen", "link", "meta", "param", "source", "track", "wbr"});
  static_assert(std::ranges::is_sorted(kNames));
  return std::ranges::binary_search(kNames, name);
}

bool IsFormatting(std::string_view name) {
  return OneOf(name, {"b", "big", "code", "em", "font", "i", "nobr", "s", "small", "strike",
                      "strong", "tt", "u"});
}

bool HoldsText(std::string_view name) {
  return OneOf(name,
               {"script", "style", "xmp", "iframe", "noembed", "noframes", "textarea", "title"});
}

bool IsSpecialHtml(std::string_view name) {
  static constexpr auto kNames = std::to_array<std::string_view>(
      {"address",  "applet",     "area",     "article",    "aside",    "base",      "basefont",
       "bgsound",  "blockquote", "body",     "br",         "button",   "caption",   "center",
       "col",      "colgroup",   "dd",       "details",    "dir",      "div",       "dl",
       "dt",       "embed",      "fieldset", "figcaption", "figure",   "footer",    "form",
       "frame",    "frameset",   "head",     "header",     "hgroup",   "hr",        "html",
       "iframe",   "img",        "input",    "keygen",     "li",       "link",      "listing",
       "main",     "marquee",    "menu",     "meta",       "nav",      "noembed",   "noframes",
       "noscript", "object",     "ol",       "p",          "param",    "plaintext", "pre",
       "script",   "search",     "section",  "select",     "source",   "style",     "summary",
       "table",    "tbody",      "td",       "template",   "textarea", "tfoot",     "th",
       "thead",    "title",      "tr",       "track",      "ul",       "wbr",       "xmp"});
  static_assert(std::ranges::is_sorted(kNames));
  return IsHeading(name) || std::ranges::binary_search(kNames, name);
}

bool LeavesForeignContent(std::string_view name) {
  static constexpr auto kNames = std::to_array<std::string_view>(
      {"b",   "big",   "blockquote", "body",  "br",    "center", "code",   "dd",
       "div", "dl",    "dt",         "em",    "embed", "head",   "hr",     "i",
       "img", "li",    "listing",    "menu",  "meta",  "nobr",   "ol",     "p",
       "pre", "ruby",  "s",          "small", "span",  "strike", "strong", "sub",
       "sup", "table", "tt",         "u",     "ul",    "var"});
  static_assert(std::ranges::is_sorted(kNames));
  return IsHeading(name) || std::ranges::binary_search(kNames, name);
}

bool IsIntegrationPoint(std::string_view name, Space space) {
  if (space == Space::Svg)
    return OneOf(name, {"foreignobject", "desc", "title"});
  if (space == Space::Math)
    return OneOf(name, {"mi", "mo", "mn", "ms", "mtext", "annotation-xml"});
  return false;
}

unsigned CategoriesOf(std::string_view name, Space space) {
  if (space != Space::Html)
    return IsIntegrationPoint(name, space) ? kSpecial | kBoundary | kListStop : 0u;
  unsigned categories = 0;
  if (IsSpecialHtml(name)) {
    categories |= kSpecial;
    if (!OneOf(name, {"address", "div", "p"}))
      categories |= kListStop;
  }
  if (OneOf(name,
            {"applet", "caption", "html", "table", "td", "th", "marquee", "object", "template"}))
    categories |= kBoundary;
  if (name == "button")
    categories |= kButton;
  if (OneOf(name, {"html", "table", "template"}))
    categories |= kTableEdge;
  if (OneOf(name, {"ol", "ul"}))
    categories |= kListEdge;
  if (IsHeading(name))
    categories |= kHeadingElement;
  if (OneOf(name, {"td", "th"}))
    categories |= kCell;
  if (name == "tr")
    categories |= kRow;
  if (OneOf(name, {"tbody", "thead", "tfoot"}))
    categories |= kRowGroup;
  if (OneOf(name, {"dd", "dt"}))
    categories |= kDefinition;
  return categories;
}

bool ClosesParagraph(std::string_view name) {
  static constexpr auto kNames = std::to_array<std::string_view>(
      {"address", "article", "aside",  "blockquote", "center",   "dd",         "details", "dialog",
       "dir",     "div",     "dl",     "dt",         "fieldset", "figcaption", "figure",  "footer",
       "form",    "header",  "hgroup", "li",         "listing",  "main",       "menu",    "nav",
       "ol",      "p",       "pre",    "search",     "section",  "summary",    "ul",      "xmp"});
  static_assert(std::ranges::is_sorted(kNames));
  return IsHeading(name) || std::ranges::binary_search(kNames, name);
}

}  // namespace harvel
