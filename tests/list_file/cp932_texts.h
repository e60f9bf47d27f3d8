#pragma once

#include <string_view>

namespace harvel::test {

// "日本語" and other texts as code page 932 bytes, written out so that the tests
// do not depend on the converter they test.
inline constexpr std::string_view kNihongoCp932 = "\x93\xFA\x96\x7B\x8C\xEA";  // 日本語
inline constexpr std::string_view kTesutoCp932 = "\x83\x65\x83\x58\x83\x67";   // テスト

}  // namespace harvel::test
