#pragma once

#include <string>
#include <string_view>

namespace harvel {

// Text made safe for one terminal line: control characters (C0, DEL and the
// C1 range, which some terminals take as escapes) become spaces, and bytes
// that are not UTF-8 become '?'.
std::string TerminalLine(std::string_view text);

// How many columns a TerminalLine takes: each character's width as wcwidth
// gives it under a UTF-8 locale (one for ASCII and most Latin text, two for
// Japanese, none for a combining mark). Where the C library has no UTF-8
// locale, or does not know a character, a non-ASCII character counts as two,
// so a line is never longer than counted and never wraps.
int TerminalColumns(std::string_view line);

// The start, or the end, of a TerminalLine that fits in `columns`.
std::string FirstColumns(std::string_view line, int columns);
std::string LastColumns(std::string_view line, int columns);

}  // namespace harvel
