#include "common/media_type.h"

#include <gtest/gtest.h>

namespace harvel {
namespace {

TEST(MediaType, ParsesTypeSubtypeAndParameters) {
  const std::optional<MediaType> media =
      ParseMediaType(" Text/HTML ; Charset=Shift_JIS; flag; title=\"a;\\\"b\"");
  ASSERT_TRUE(media);
  EXPECT_EQ(media->essence(), "text/html");
  EXPECT_EQ(media->parameter("charset"), "Shift_JIS");
  EXPECT_EQ(media->parameter("title"), "a;\"b");
  EXPECT_EQ(media->parameter("flag"), std::nullopt);
}

TEST(MediaType, RefusesTextWithoutBothParts) {
  EXPECT_EQ(ParseMediaType("text"), std::nullopt);
  EXPECT_EQ(ParseMediaType("image/; q=1"), std::nullopt);
  EXPECT_EQ(ParseMediaType("/png"), std::nullopt);
  EXPECT_EQ(ParseMediaType(""), std::nullopt);
}

}  // namespace
}  // namespace harvel
