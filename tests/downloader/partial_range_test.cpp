// A server's Content-Range read and judged against the part that is held:
// what is taken, and which answers continue a part.
#include "downloader/partial_range.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace harvel {
namespace {

TEST(PartialRange, OnlyAWholeFittingRangeIsTakenAndOnlyOneToTheEndContinuesAPart) {
  struct Case {
    const char* value;
    std::optional<ContentRange> range;
  };
  const Case cases[] = {
      {"bytes 100-199/1000", ContentRange{100, 199, 1000}},
      {"  bytes 0-0/1 \t", ContentRange{0, 0, 1}},
      {"bytes 9223372036854775806-9223372036854775806/9223372036854775807",
       ContentRange{9223372036854775806, 9223372036854775806, 9223372036854775807}},
      {"bytes 0-99/*", std::nullopt},                    // the length unknown
      {"bytes 200-100/1000", std::nullopt},              // backwards
      {"bytes 0-1000/1000", std::nullopt},               // past the end
      {"bytes 0-9/0", std::nullopt},                     // an empty file has no byte
      {"bytes -5-9/10", std::nullopt},                   // a negative offset
      {"bytes +5-9/10", std::nullopt},                   //
      {"bytes 0-9/99999999999999999999", std::nullopt},  // overflows
      {"bytes 0-9/10x", std::nullopt},                   // something after
      {"bytes 0-9/10/10", std::nullopt},                 //
      {"bytes 0-9", std::nullopt},                       // no length
      {"bytes=0-9/10", std::nullopt},                    // a request's spelling
      {"bytes  0-9/10", std::nullopt},                   //
      {"items 0-9/10", std::nullopt},                    // another unit
      {"bytes */10", std::nullopt},                      // a 416's
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    const auto range = ParseContentRange(c.value);
    ASSERT_EQ(range.has_value(), c.range.has_value()) << c.value;
    if (range) {
      EXPECT_EQ(range->first, c.range->first) << c.value;
      EXPECT_EQ(range->last, c.range->last) << c.value;
      EXPECT_EQ(range->length, c.range->length) << c.value;
    }
  }

  EXPECT_EQ(ParseUnsatisfiedRange(" bytes */1000 "), 1000);
  EXPECT_EQ(ParseUnsatisfiedRange("bytes */0"), 0);
  for (const char* refused : {"bytes */", "bytes */-1", "bytes */10 10", "bytes 0-9/10",
                              "bytes */99999999999999999999", "bytes * /10"})
    EXPECT_FALSE(ParseUnsatisfiedRange(refused)) << refused;

  // Held 300 bytes of a file of 1000 (or of a length not told).
  struct Judged {
    ContentRange range;
    HeldPart held;
    bool continues;
  };
  const Judged judged[] = {
      {{300, 999, 1000}, {300, 1000}, true},
      {{0, 999, 1000}, {300, 1000}, true},      // from earlier: the rest comes again
      {{300, 999, 1000}, {300, -1}, true},      // the length learnt now
      {{301, 999, 1000}, {300, 1000}, false},   // a gap
      {{300, 998, 1000}, {300, 1000}, false},   // short of the end
      {{300, 1199, 1200}, {300, 1000}, false},  // the file grew
      {{300, 300, 301}, {301, -1}, false},      // nothing more than is held
      {{1000, 1000, 1001}, {300, 1001}, false},
  };
  for (const Judged& j : judged) {
    EXPECT_EQ(RangeContinues(j.range, j.held), j.continues)
        << j.range.first << "-" << j.range.last << "/" << j.range.length << " held " << j.held.size
        << "/" << j.held.length;
  }
  EXPECT_TRUE(RangeIsWhole({0, 9, 10}));
  EXPECT_FALSE(RangeIsWhole({1, 9, 10}));
  EXPECT_FALSE(RangeIsWhole({0, 8, 10}));
}

}  // namespace
}  // namespace harvel
