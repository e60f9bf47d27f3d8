#include "common/url_parts.h"

#include <gtest/gtest.h>

namespace harvel {
namespace {

TEST(UrlParts, TellsTheSchemeInLowerCase) {
  EXPECT_EQ(UrlScheme("HTTP://h/"), "http");
  EXPECT_EQ(UrlScheme("mailto:a@b"), "mailto");
  EXPECT_EQ(UrlScheme("host:8080/a"), "");
  EXPECT_EQ(WrittenScheme("Host:8080/a"), "host");
  EXPECT_EQ(UrlScheme("/a:b"), "");
  EXPECT_EQ(UrlScheme("1a:b"), "");
  EXPECT_TRUE(IsDownloadableUrl("host/a"));
  EXPECT_TRUE(IsDownloadableUrl("FTP://h/a"));
  EXPECT_FALSE(IsDownloadableUrl("javascript:x()"));
}

TEST(UrlParts, CutsTheTextIntoAuthorityAndPath) {
  const UrlPieces full = SplitUrlText("Http://u:p@h:81/a/b?q=c://d#f");
  EXPECT_TRUE(full.hasAuthority);
  EXPECT_EQ(full.scheme, "Http");
  EXPECT_EQ(full.authority, "u:p@h:81");
  EXPECT_EQ(full.path, "/a/b");
  const UrlPieces bare = SplitUrlText("http://h?x");
  EXPECT_EQ(bare.authority, "h");
  EXPECT_EQ(bare.path, "");
  const UrlPieces relative = SplitUrlText("a/b?u=http://h/");
  EXPECT_FALSE(relative.hasAuthority);
  EXPECT_EQ(relative.path, "a/b");
  EXPECT_EQ(AuthorityStart("socks5://me:pw@proxy:1080"), 9u);
  EXPECT_EQ(AuthorityStart("me:pw@proxy:1080/?u=http://x"), 0u);
}

TEST(UrlParts, ReadsTheHostAsLibcurlDoes) {
  EXPECT_EQ(UrlHost("http://User@WWW.Example.TEST:8080/a"), "www.example.test");
  EXPECT_EQ(UrlHost("http://[::1]:80/"), "::1");
  EXPECT_EQ(UrlHost("not a url"), std::nullopt);
}

}  // namespace
}  // namespace harvel
