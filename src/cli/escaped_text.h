#pragma once

#include <string>

namespace harvel {

// `text` safe to print on one line of a terminal: a control character (C0,
// DEL, and C1 written in UTF-8) becomes an escape — "\t", "\n", "\r", "\xNN" or
// "\u00NN" — and a backslash becomes "\\", so that the escapes cannot be told
// apart from the text. Any other byte is kept.
std::string EscapedText(const std::string& text);

}  // namespace harvel
