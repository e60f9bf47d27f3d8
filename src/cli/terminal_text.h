#pragma once

#include <string>
#include <string_view>

namespace harvel {

// Text made safe for one terminal line: control characters (C0, DEL and the
// C1 range, which some terminals take as escapes) become spaces, and bytes
// that are not UTF-8 become '?'.
std::string TerminalLine(std::string_view text);

// How many columns a TerminalLine takes at most: one for ASCII, two for any
// other character. Japanese text is mostly wide; counting every other
// character as wide too means a line is never longer than counted, so it
// never wraps.
int TerminalColumns(std::string_view line);

// The start, or the end, of a TerminalLine that fits in `columns`.
std::string FirstColumns(std::string_view line, int columns);
std::string LastColumns(std::string_view line, int columns);

}  // namespace harvel
