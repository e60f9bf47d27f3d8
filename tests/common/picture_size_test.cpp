#include "common/picture_size.h"

#include <gtest/gtest.h>

namespace harvel {
namespace {

TEST(PictureSize, ReadsWidthByHeightOrOneSide) {
  EXPECT_EQ(ParsePictureSize("400x300"), (PictureSize{400, 300}));
  EXPECT_EQ(ParsePictureSize("400X300"), (PictureSize{400, 300}));
  EXPECT_EQ(ParsePictureSize("250"), (PictureSize{250, 250}));
  EXPECT_EQ(ParsePictureSize("0"), (PictureSize{0, 0}));
  EXPECT_FALSE(ParsePictureSize("0")->isSet());
  for (const char* text : {"", "x", "400x", "x300", "-1", "4 00", "400x300x2", "1000001", "40.5"})
    EXPECT_EQ(ParsePictureSize(text), std::nullopt) << text;
  EXPECT_EQ(PictureSizeText({1200, 299}), "1200x299");
}

TEST(PictureSize, IsSmallerWhenEitherSideFallsShort) {
  EXPECT_FALSE(IsSmallerThan({1200, 300}, {400, 300}));
  EXPECT_TRUE(IsSmallerThan({1200, 299}, {400, 300}));
  EXPECT_TRUE(IsSmallerThan({399, 3000}, {400, 300}));
}

}  // namespace
}  // namespace harvel
