#include "common/code_page.h"

#include <gtest/gtest.h>

#include "cp932_texts.h"

namespace harvel {
namespace {

using test::kNihongoCp932;

TEST(CodePage, JapaneseTextConvertsBothWays) {
  EXPECT_EQ(Utf8ToCp932("日本語 abc"), std::string(kNihongoCp932) + " abc");
  EXPECT_EQ(Cp932ToUtf8(std::string(kNihongoCp932) + " abc"), "日本語 abc");
  EXPECT_EQ(Utf8ToCp932("ｱｲｳ"), "\xB1\xB2\xB3");  // half-width katakana, one byte each
  EXPECT_EQ(Utf8ToCp932(""), "");
}

// The characters where code page 932 differs from plain Shift_JIS: read and
// written as Windows does.
TEST(CodePage, WindowsFormsOfTheDisputedCharacters) {
  struct Case {
    std::string_view utf8;
    std::string_view cp932;
  };
  const Case cases[] = {
      {"～", "\x81\x60"},                     // full-width tilde U+FF5E
      {"－", "\x81\x7C"},                     // full-width hyphen-minus U+FF0D
      {"∥", "\x81\x61"},                      // parallel to
      {"￢", "\x81\xCA"},                     // full-width not sign
      {"①", "\x87\x40"},                      // NEC special characters
      {"Ⅰ", "\x87\x54"},  {"ⅰ", "\xFA\x40"},  // IBM extensions
      {"纊", "\xFA\x5C"}, {"\\", "\x5C"},    {"~", "\x7E"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932) << c.utf8;
    EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8) << c.utf8;
  }
  // NEC's selection of the IBM extensions reads as the same characters.
  EXPECT_EQ(Cp932ToUtf8("\xED\x40"), "纊");
}

TEST(CodePage, CharactersThatWouldComeBackAsOthersDoNotFit) {
  EXPECT_EQ(Utf8ToCp932("〜"), std::nullopt);  // wave dash U+301C would come back as "～"
  EXPECT_EQ(Utf8ToCp932("−"), std::nullopt);   // minus sign U+2212 would come back as "－"
  EXPECT_EQ(Utf8ToCp932("¥"), std::nullopt);
  EXPECT_EQ(Utf8ToCp932("a😀"), std::nullopt);
  EXPECT_EQ(Utf8ToCp932("한국어"), std::nullopt);
  EXPECT_EQ(Utf8ToCp932("bad \xFF utf-8"), std::nullopt);
}

TEST(CodePage, InvalidBytesAreRefusedOrReplaced) {
  EXPECT_EQ(Cp932ToUtf8("a\x80z"), std::nullopt);
  EXPECT_EQ(Cp932ToUtf8("\x82"), std::nullopt);  // a lead byte at the end
  EXPECT_EQ(Cp932ToUtf8Lossy("a\x80z"), "a\uFFFDz");
  EXPECT_EQ(Cp932ToUtf8Lossy("\x85\x40z"), "\uFFFDz");  // an unused double-byte code: one character
  EXPECT_EQ(Cp932ToUtf8Lossy(std::string(kNihongoCp932) + "\x82"), "日本語\uFFFD");
  EXPECT_EQ(Cp932ToUtf8Lossy(std::string("\0\xFF", 2)), std::string("\0\uFFFD", 4));
}

TEST(CodePage, CharacterSizes) {
  EXPECT_EQ(Cp932CharSize(""), 0u);
  EXPECT_EQ(Cp932CharSize("a"), 1u);
  EXPECT_EQ(Cp932CharSize("\xB1"), 1u);
  EXPECT_EQ(Cp932CharSize(kNihongoCp932), 2u);
  EXPECT_EQ(Cp932CharSize("\x83\x5D"), 2u);  // its second byte is "]"
  EXPECT_EQ(Cp932CharSize("\x83"), 1u);
}

}  // namespace
}  // namespace harvel
