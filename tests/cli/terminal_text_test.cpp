#include "cli/terminal_text.h"

#include <gtest/gtest.h>

#include <clocale>

namespace harvel {
namespace {

TEST(TerminalText, ColumnsAreTheCharactersWidthsWhateverTheProgramsLocale) {
  std::setlocale(LC_CTYPE, "C");  // widths do not depend on the user's locale
  EXPECT_EQ(TerminalColumns("photo-1.jpg"), 11);
  EXPECT_EQ(TerminalColumns("café"), 4);
  EXPECT_EQ(TerminalColumns("e\u0301t\u00e9"), 3);  // a combining accent takes no column
  EXPECT_EQ(TerminalColumns("写真アルバム"), 12);
  EXPECT_EQ(TerminalColumns("ｶﾞｿﾞｳ"), 5);  // half-width katakana
  EXPECT_EQ(TerminalColumns("😀"), 2);

  // Cutting keeps whole characters and never goes past the columns given.
  EXPECT_EQ(FirstColumns("ab写真", 3), "ab");
  EXPECT_EQ(FirstColumns("ab写真", 4), "ab写");
  EXPECT_EQ(FirstColumns("Zoë-写真", 5), "Zoë-");
  EXPECT_EQ(LastColumns("写真.jpg", 5), ".jpg");
  EXPECT_EQ(LastColumns("写真.jpg", 7), "真.jpg");
  EXPECT_EQ(LastColumns("写真.jpg", 8), "写真.jpg");
  EXPECT_EQ(LastColumns("ｶﾞｿﾞｳ.gif", 5), "ｳ.gif");
}

}  // namespace
}  // namespace harvel
