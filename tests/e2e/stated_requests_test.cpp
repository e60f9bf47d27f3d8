#include "stated_requests.h"

#include <gtest/gtest.h>

namespace harvel::test {
namespace {

TEST(StatedRequests, EveryStatedRequestOnceAndNothingElseWithTheHeadersNamed) {
  const auto stated =
      ParseStatedRequests({"# a comment", "GET /a.gif", " Referer: http://h/",
                           " Range:", "GET /a.gif", " range: bytes=10-", "HEAD /p?x=1"});
  ASSERT_EQ(stated.size(), 3u);
  const ReceivedRequest plain{"GET", "/a.gif", {{"Referer", "http://h/"}, {"User-Agent", "u"}}};
  const ReceivedRequest resumed{"GET", "/a.gif", {{"Range", "bytes=10-"}, {"Referer", "x"}}};
  const ReceivedRequest head{"HEAD", "/p?x=1", {}};
  // In any order; header names in any case; a stricter statement does not
  // lose its request to a plainer one.
  EXPECT_EQ(RequestDifferences(stated, {resumed, head, plain}), "");
  EXPECT_NE(RequestDifferences(stated, {resumed, head}), "");               // one missing
  EXPECT_NE(RequestDifferences(stated, {resumed, head, plain, head}), "");  // one too many
  ReceivedRequest ranged = plain;
  ranged.headers.emplace("Range", "bytes=0-");
  EXPECT_NE(RequestDifferences(stated, {resumed, head, ranged}), "");  // must be absent
  EXPECT_NE(RequestDifferences(stated, {resumed, {"GET", "/p?x=1", {}}, plain}), "");
  EXPECT_THROW(ParseStatedRequests({" Referer: x"}), std::runtime_error);
  EXPECT_THROW(ParseStatedRequests({"GET"}), std::runtime_error);
}

}  // namespace
}  // namespace harvel::test
