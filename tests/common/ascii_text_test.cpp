#include "common/ascii_text.h"

#include <gtest/gtest.h>

namespace harvel {
namespace {

TEST(AsciiText, ChangesTheCaseOfAsciiLettersOnly) {
  EXPECT_EQ(AsciiLower("Image/PNG; Charset=\xC3\x89"), "image/png; charset=\xC3\x89");
  EXPECT_EQ(AsciiUpper("http_proxy-1"), "HTTP_PROXY-1");
  EXPECT_EQ(AsciiLower('@'), '@');
  EXPECT_EQ(AsciiLower('['), '[');
}

TEST(AsciiText, ComparesIgnoringAsciiCase) {
  EXPECT_TRUE(EqualsIgnoringAsciiCase("Cookie", "cOOKIE"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("Cookie", "Cookies"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC3\xA9", "\xC3\x89"));  // é and É are not ASCII
  EXPECT_TRUE(StartsWithIgnoringAsciiCase("MAILTO:a@b", "mailto:"));
  EXPECT_FALSE(StartsWithIgnoringAsciiCase("mail", "mailto:"));
  EXPECT_TRUE(EndsWithIgnoringAsciiCase("Photo.JPG", ".jpg"));
  EXPECT_FALSE(EndsWithIgnoringAsciiCase("jpg", ".jpg"));
}

TEST(AsciiText, TrimsTheGivenSpacesAtBothEnds) {
  EXPECT_EQ(Trimmed(" \t a b \t"), "a b");
  EXPECT_EQ(Trimmed("\n a \r"), "\n a \r");  // spaces and tabs only by default
  EXPECT_EQ(Trimmed("\n a \f", kHtmlSpace), "a");
  EXPECT_EQ(Trimmed(" \t "), "");
  EXPECT_EQ(Trimmed(""), "");
}

TEST(AsciiText, FindsAWordOfASpaceSeparatedList) {
  EXPECT_TRUE(HoldsWordIgnoringAsciiCase("Next", "next"));
  EXPECT_TRUE(HoldsWordIgnoringAsciiCase(" nofollow\tNEXT\n", "next"));
  EXPECT_TRUE(HoldsWordIgnoringAsciiCase("shortcut icon", "icon"));
  EXPECT_FALSE(HoldsWordIgnoringAsciiCase("nextpage prev", "next"));
  EXPECT_FALSE(HoldsWordIgnoringAsciiCase("next-page", "next"));
  EXPECT_FALSE(HoldsWordIgnoringAsciiCase("", "next"));
  EXPECT_FALSE(HoldsWordIgnoringAsciiCase(" \f ", "next"));
}

}  // namespace
}  // namespace harvel
