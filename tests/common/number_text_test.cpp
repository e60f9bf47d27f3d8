#include "common/number_text.h"

#include <gtest/gtest.h>

namespace harvel {
namespace {

TEST(TextToInt16, ReadsALevelAsTyped) {
  EXPECT_EQ(TextToInt16("3"), 3);
  EXPECT_EQ(TextToInt16(" 7 "), 7);
  EXPECT_EQ(TextToInt16("+4"), 4);
  EXPECT_EQ(TextToInt16("-32768"), -32768);
  EXPECT_EQ(TextToInt16("32767"), 32767);
  EXPECT_EQ(TextToInt16("2.5"), 2);  // halves go to the even number
  EXPECT_EQ(TextToInt16("3.5"), 4);
  EXPECT_EQ(TextToInt16("2.51"), 3);
  EXPECT_EQ(TextToInt16("-1.5"), -2);
}

TEST(TextToInt16, RefusesWhatIsNoNumberOrOutOfRange) {
  for (const char* text : {"", " ", "abc", "1a", "32768", "-32769", "99999999999", "1.2.3", "."}) {
    EXPECT_EQ(TextToInt16(text), std::nullopt) << text;
  }
}

}  // namespace
}  // namespace harvel
