#pragma once

#include <string>
#include <string_view>

namespace harvel {

// Letters A-Z and a-z only: names, schemes, media types and headers are ASCII,
// and a locale must not change how they compare.
char AsciiLower(char c);
char AsciiUpper(char c);
std::string AsciiLower(std::string_view text);
std::string AsciiUpper(std::string_view text);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix);
bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view suffix);

// Spaces and tabs: what a header, a profile line or a field is trimmed of.
inline constexpr std::string_view kSpaceAndTab = " \t";
// The white space of HTML: space, tab, line feed, form feed, carriage return.
inline constexpr std::string_view kHtmlSpace = " \t\n\f\r";

// Whether `list`, words between HTML white space (a rel attribute), holds
// `word` in any ASCII case.
bool HoldsWordIgnoringAsciiCase(std::string_view list, std::string_view word);

// `text` without the characters of `space` at either end.
std::string_view Trimmed(std::string_view text, std::string_view space = kSpaceAndTab);

}  // namespace harvel
