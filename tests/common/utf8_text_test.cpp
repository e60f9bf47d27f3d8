#include "common/utf8_text.h"

#include <gtest/gtest.h>

#include <string>

namespace harvel {
namespace {

TEST(Utf8Text, DecodesEachLengthOfCharacter) {
  for (const char32_t c : {U'A', U'\u00E9', U'\u3042', U'\U0001F600', U'\U0010FFFF'}) {
    std::string bytes;
    AppendUtf8(c, bytes);
    const std::optional<Utf8Char> decoded = DecodeUtf8(bytes + "tail");
    ASSERT_TRUE(decoded) << static_cast<std::uint32_t>(c);
    EXPECT_EQ(decoded->codePoint, c);
    EXPECT_EQ(decoded->length, bytes.size());
  }
}

TEST(Utf8Text, RefusesBytesThatAreNoWellFormedCharacter) {
  for (const char* bad : {"\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                          "\xF5\x80\x80\x80", "\xE3\x81", "\xE3\x41\x82", ""}) {
    EXPECT_FALSE(DecodeUtf8(bad)) << bad;
  }
  EXPECT_TRUE(IsValidUtf8("a\xE3\x81\x82z"));
  EXPECT_FALSE(IsValidUtf8("a\xE3\x81"));
}

TEST(Utf8Text, ValidUtf8ReplacesMalformedBytes) {
  EXPECT_EQ(ValidUtf8("日本 ok"), "日本 ok");
  EXPECT_EQ(ValidUtf8("a\xFFz"), "a\uFFFDz");
  EXPECT_EQ(ValidUtf8("\xC0\xAF"), "\uFFFD\uFFFD");            // overlong "/"
  EXPECT_EQ(ValidUtf8("\xED\xA0\x80"), "\uFFFD\uFFFD\uFFFD");  // a surrogate
  EXPECT_EQ(ValidUtf8("\xE6\x97"), "\uFFFD\uFFFD");            // cut short
  EXPECT_EQ(DecodeUtf8("😀")->length, 4u);
}

}  // namespace
}  // namespace harvel
