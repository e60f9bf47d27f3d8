#include "common/picture_format.h"

#include <gtest/gtest.h>

#include <string>

namespace harvel {
namespace {

using namespace std::string_literals;

TEST(PictureFormat, FindsAnEndingInAnyCase) {
  ASSERT_NE(FindPictureEnding("JPE"), nullptr);
  EXPECT_EQ(FindPictureEnding("JPE")->format, PictureFormat::Jpeg);
  EXPECT_FALSE(FindPictureEnding("jpe")->modernPicture);
  EXPECT_FALSE(FindPictureEnding("svgz")->minimumSize);
  EXPECT_EQ(FindPictureEnding("html"), nullptr);
  EXPECT_EQ(FindPictureEnding(".jpg"), nullptr);  // without the dot
}

TEST(PictureFormat, TellsEachFormatByItsSignature) {
  EXPECT_EQ(PictureFormatOfSignature("GIF89a.."), PictureFormat::Gif);
  EXPECT_EQ(PictureFormatOfSignature("\x89PNG\r\n\x1A\n"), PictureFormat::Png);
  EXPECT_EQ(PictureFormatOfSignature("\xFF\xD8\xFF\xE0"), PictureFormat::Jpeg);
  EXPECT_EQ(PictureFormatOfSignature("RIFF\1\2\3\4WEBP"), PictureFormat::Webp);
  EXPECT_EQ(PictureFormatOfSignature("\0\0\0\x18"
                                     "ftypheic"s),
            PictureFormat::Heif);
  EXPECT_EQ(PictureFormatOfSignature("\0\0\0\x18"
                                     "ftypavif"s),
            PictureFormat::Avif);
  EXPECT_EQ(PictureFormatOfSignature("BM\1\2"), PictureFormat::Bmp);
  EXPECT_EQ(PictureFormatOfSignature("\0\0\1\0\1\0"s), PictureFormat::Ico);
  EXPECT_EQ(PictureFormatOfSignature("RIFF\1\2\3\4WAVE"), std::nullopt);
  EXPECT_EQ(PictureFormatOfSignature("RIF"), std::nullopt);  // short heads are safe
  EXPECT_EQ(PictureFormatOfSignature("<svg"), std::nullopt);
}

}  // namespace
}  // namespace harvel
