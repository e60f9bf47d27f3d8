#pragma once

#include <string>
#include <string_view>

namespace harvel {

// The HTML parser takes time that grows with the square of some shapes of a
// page: the nesting depth, the attributes of one tag, formatting elements left
// open and reopened, end tags that close nothing. So a page is rewritten
// before it is parsed, into the tags, attributes and text that the parser will
// see and nothing else:
// - every "<" that opens no tag is written as "&lt;", comments and doctypes are
//   left out, and attribute values are written in double quotes, so the parser
//   cannot find a tag that this rewriting did not count;
// - a tag keeps its first kAttributeLimit attributes, and all html and body
//   tags together keep that many;
// - the formatting elements other than "a" (b, i, font, strong ...) become
//   "span": the parser reopens formatting elements after every paragraph, which
//   a page could make it do for thousands of them at once;
// - a start tag that would open an element deeper than kNestingLimit is left
//   out (what such an element holds is kept), and an end tag that would close
//   nothing is left out.
// Links, pictures and styles read from the page stay what they were.
std::string ParserInput(std::string_view page, int nestingLimit);

inline constexpr int kNestingLimit = 400;
inline constexpr int kAttributeLimit = 100;

}  // namespace harvel
