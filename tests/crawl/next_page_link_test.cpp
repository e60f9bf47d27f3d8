#include "crawl/next_page_link.h"

#include <gtest/gtest.h>

namespace harvel {
namespace {

const std::string kPage = "http://h/gallery/2.html";

TEST(NextPageLink, TheScanReaderTakesRelNextOfLinkAndA) {
  EXPECT_EQ(NextPageLink("<head><LINK REL=\"Next\" HREF=\"3.html\"></head>", kPage),
            "http://h/gallery/3.html");
  EXPECT_EQ(NextPageLink("<a href='?page=3' class=x rel='prev next'>3</a>", kPage),
            "http://h/gallery/2.html?page=3");
  EXPECT_EQ(NextPageLink("<a rel=next href=/p/3>more</a>", kPage), "http://h/p/3");
  EXPECT_EQ(NextPageLink("<a href=\"1.html\" rel=\"prev\">1</a><a href=\"3.html\" "
                         "rel=\"next\">3</a>",
                         kPage),
            "http://h/gallery/3.html");
  // Words are for the HTML parser; not a next link: rel nextpage, a fragment, a script,
  // an abbr tag, a rel inside another attribute's value.
  EXPECT_EQ(NextPageLink("<a href=\"3.html\">次へ</a>", kPage), std::nullopt);
  EXPECT_EQ(NextPageLink("<a rel=\"nextpage\" href=\"3.html\">", kPage), std::nullopt);
  EXPECT_EQ(NextPageLink("<a rel=\"next\" href=\"#more\">", kPage), std::nullopt);
  EXPECT_EQ(NextPageLink("<a rel=\"next\" href=\"javascript:go(3)\">", kPage), std::nullopt);
  EXPECT_EQ(NextPageLink("<abbr rel=\"next\" href=\"3.html\">", kPage), std::nullopt);
  EXPECT_EQ(NextPageLink("<a title='<a rel=next href=x.html>' href=\"3.html\">", kPage),
            std::nullopt);
}

TEST(NextPageLink, TheHtmlParserTakesRelNextFirstThenMarkers) {
  EXPECT_EQ(ModernNextPageLink("<a href=\"9.html\">次へ</a><link rel=next href=\"3.html\">", kPage),
            "http://h/gallery/3.html");
  EXPECT_EQ(ModernNextPageLink("<a href=\"1.html\">前へ</a> <a href=\"3.html\"><span>次へ "
                               "»</span></a>",
                               kPage),
            "http://h/gallery/3.html");
  EXPECT_EQ(ModernNextPageLink("<base href=\"http://h/other/\"><a aria-label=\"Next page\" "
                               "href=\"3.html\"><svg></svg></a>",
                               kPage),
            "http://h/other/3.html");
  EXPECT_EQ(ModernNextPageLink("<a href=\"3.html\">Next chapter</a><a href=\"#\">›</a>", kPage),
            std::nullopt);
}

TEST(NextPageLink, NextMarkers) {
  for (const char* marker : {"次へ", "次のページ", " 次のページへ ", "Next", "NEXT PAGE", "›", "»",
                             "→", ">", ">>", "next »", "→ Next", "次へ>", "\u3000次へ\u00a0"}) {
    EXPECT_TRUE(IsNextMarker(marker)) << marker;
  }
  for (const char* other : {"", " ", "前へ", "Next chapter", "next-gen", "»»", "1", "次"})
    EXPECT_FALSE(IsNextMarker(other)) << other;
}

}  // namespace
}  // namespace harvel
