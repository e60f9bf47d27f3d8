#include "cli/escaped_text.h"

#include <gtest/gtest.h>

namespace harvel {
namespace {

TEST(EscapedText, KeepsPrintableTextAndEscapesControlCharacters) {
  EXPECT_EQ(EscapedText("サイト http://h.test/a?b=c d"), "サイト http://h.test/a?b=c d");
  EXPECT_EQ(EscapedText("a\tb\nc\rd"), "a\\tb\\nc\\rd");
  static constexpr char kControls[] = "nul\0bell\a\x1b[2Jdel\x7f";
  EXPECT_EQ(EscapedText(std::string(kControls, sizeof kControls - 1)),
            "nul\\x00bell\\x07\\x1B[2Jdel\\x7F");
  // C1 controls in UTF-8 (CSI is U+009B); U+00A0 and above are text.
  EXPECT_EQ(EscapedText("\xC2\x9B"
                        "31m\xC2\xA0"),
            "\\u009B31m\xC2\xA0");
  // A backslash is doubled, so "\n" in a title stays distinct from a line break.
  EXPECT_EQ(EscapedText("a\\nb"), "a\\\\nb");
}

}  // namespace
}  // namespace harvel
