#pragma once

#include <initializer_list>
#include <string_view>

namespace harvel {

// How the HTML parser treats an element, by its lower-case name: what decides
// how deep its elements nest and how end tags find them.

bool OneOf(std::string_view name, std::initializer_list<std::string_view> names);

bool IsHeading(std::string_view name);  // h1 to h6
bool IsVoid(std::string_view name);     // elements that hold nothing
// The formatting elements that the parser reopens after they were closed by
// another element (b, i, font ...), "a" left out.
bool IsFormatting(std::string_view name);
bool HoldsText(std::string_view name);  // its content is text up to its end tag
bool IsSpecialHtml(std::string_view name);
bool LeavesForeignContent(std::string_view name);  // a start tag that ends svg or MathML
bool ClosesParagraph(std::string_view name);       // a start tag that closes an open p

enum class Space { Html, Svg, Math };

// What an open element is to the parser's scopes, as bits.
enum Category : unsigned {
  kSpecial = 1u << 0,    // an end tag of another element stops at it
  kBoundary = 1u << 1,   // the edge of the default scope
  kButton = 1u << 2,     // the edge of the button scope
  kTableEdge = 1u << 3,  // the edge of the table scope
  kListStop = 1u << 4,   // stops a list item from closing an earlier one
  kListEdge = 1u << 5,   // the edge of the list item scope
  kHeadingElement = 1u << 6,
  kCell = 1u << 7,
  kRow = 1u << 8,
  kRowGroup = 1u << 9,
  kDefinition = 1u << 10,  // dd or dt
};
constexpr std::size_t kCategoryCount = 11;

// Where HTML content is read inside svg or MathML.
bool IsIntegrationPoint(std::string_view name, Space space);
unsigned CategoriesOf(std::string_view name, Space space);

}  // namespace harvel
