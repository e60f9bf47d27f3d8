// IsFileType, the suffix list and the visited-URL buffer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crawl/file_type.h"
#include "crawl/visited_urls.h"

namespace harvel {
namespace {

using List = std::vector<std::string>;

TEST(SplitUserExt, KeepsEveryPieceAsTyped) {
  EXPECT_EQ(SplitUserExt("gif,jpg,jpeg,png"), (List{"gif", "jpg", "jpeg", "png"}));
  EXPECT_EQ(SplitUserExt("gif, jpg"), (List{"gif", " jpg"}));
  EXPECT_EQ(SplitUserExt(",gif,,"), (List{"", "gif", "", ""}));
  EXPECT_EQ(SplitUserExt(""), List{});
}

TEST(IsFileType, MatchesNameEndingsExactly) {
  const UserExtList builtIn = SplitUserExt("gif,jpg,jpeg,png");
  for (const char* name : {"a.gif", "a.jpg", "a.jpeg", "a.png", "xgif"}) {
    EXPECT_EQ(IsFileType(name, builtIn), 1) << name;
  }
  for (const char* name : {"a.GIF", "a.Png", "a.png?x=1", "a.html", ""}) {
    EXPECT_EQ(IsFileType(name, builtIn), 0) << name;
  }
  EXPECT_EQ(IsFileType("a.jpg", SplitUserExt("gif, jpg")), 0);
  EXPECT_EQ(IsFileType("anything", SplitUserExt("gif,")), 1);  // an empty entry matches all
  EXPECT_EQ(IsFileType("a.gif", SplitUserExt("")), 0);
  EXPECT_EQ(IsFileType("a.gif", std::nullopt), 0);        // no list made yet
  EXPECT_EQ(IsFileType("gif", SplitUserExt(".gif")), 0);  // longer than the name
}

TEST(IsFileType, LooksAtTheFirst51EntriesOnly) {
  List entries;
  for (int i = 0; i < 60; ++i)
    entries.push_back("e" + std::to_string(i));
  EXPECT_EQ(IsFileType("a.e50", UserExtList(entries)), 1);
  EXPECT_EQ(IsFileType("a.e55", UserExtList(entries)), 0);
}

TEST(VisitedUrls, AnswersForExactlyTheRecordedTexts) {
  VisitedUrls visited;
  EXPECT_EQ(visited.URLBuf().size(), 101u);
  EXPECT_EQ(visited.URLBufCheck("http://h.test/a.gif"), 0);
  EXPECT_EQ(visited.URLBufCheck(""), 0);  // an empty slot is no URL
  visited.Record("http://h.test/a.gif");
  EXPECT_EQ(visited.URLBufCheck("http://h.test/a.gif"), 1);
  EXPECT_EQ(visited.URLBufCheck("HTTP://H.TEST/A.GIF"), 0);
  EXPECT_EQ(visited.URLBufCheck("http://h.test/a.gif#x"), 0);
}

TEST(VisitedUrls, GrowsBy100SlotsWithoutLimit) {
  VisitedUrls visited;
  const auto url = [](int i) { return "http://h.test/" + std::to_string(i) + ".gif"; };
  for (int i = 0; i < 101; ++i)
    visited.Record(url(i));
  EXPECT_EQ(visited.URLBufMax(), 100u);
  EXPECT_EQ(visited.URLBufCnt(), 101u);
  visited.Record(url(101));
  EXPECT_EQ(visited.URLBufMax(), 200u);
  EXPECT_EQ(visited.URLBufCnt(), 102u);
  EXPECT_TRUE(visited.URLBuf()[102].empty());

  // Far past the 32,702 links where a 16-bit index would overflow.
  for (int i = 102; i < 40000; ++i)
    visited.Record(url(i));
  EXPECT_EQ(visited.URLBufMax(), 40000u);
  EXPECT_EQ(visited.URLBufCnt(), 40000u);
  for (int i : {0, 101, 32701, 32702, 39999})
    EXPECT_EQ(visited.URLBufCheck(url(i)), 1) << i;
  EXPECT_EQ(visited.URLBuf()[32702], url(32702));
  EXPECT_EQ(visited.URLBufCheck(url(40000)), 0);
}

}  // namespace
}  // namespace harvel
