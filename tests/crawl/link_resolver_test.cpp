#include "crawl/link_resolver.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <random>
#include <string>

namespace harvel {
namespace {

constexpr const char* kBase = "http://h.test/dir/page.html?x=1#top";

TEST(ResolveLink, ResolvesRelativeLinksAsABrowserDoes) {
  const std::pair<const char*, const char*> cases[] = {
      {"pic.gif", "http://h.test/dir/pic.gif"},
      {"./sub/pic.gif", "http://h.test/dir/sub/pic.gif"},
      {"../a.gif", "http://h.test/a.gif"},
      {"../../../a.gif", "http://h.test/a.gif"},
      {"/abs/b.png", "http://h.test/abs/b.png"},
      {"//other.test/c.jpg", "http://other.test/c.jpg"},
      {"?q=2", "http://h.test/dir/page.html?q=2"},
      {"#sec.2", "http://h.test/dir/page.html?x=1#sec.2"},
      {"a.gif?v=1#f", "http://h.test/dir/a.gif?v=1#f"},
      {"../", "http://h.test/"},
      {"https://s.test/x/../y.html", "https://s.test/y.html"},
      {"ftp://f.test/file.txt", "ftp://f.test/file.txt"},
      {" spaced name.gif ", "http://h.test/dir/spaced%20name.gif"},
      {"bro\r\nken.gif", "http://h.test/dir/broken.gif"},
  };
  for (const auto& [link, expected] : cases) {
    EXPECT_EQ(ResolveLink(kBase, link), expected) << link;
  }
}

TEST(ResolveLink, ReadsSloppyLinksAsABrowserDoes) {
  const std::pair<const char*, const char*> cases[] = {
      // Backslashes are slashes up to the query.
      {"img\\a1.gif", "http://h.test/dir/img/a1.gif"},
      {"\\img\\a2.gif", "http://h.test/img/a2.gif"},
      {"..\\a3.gif", "http://h.test/a3.gif"},
      {"http://other.test\\img\\a4.gif", "http://other.test/img/a4.gif"},
      {"\\\\other.test\\a5.gif", "http://other.test/a5.gif"},
      {"b.gif?path=a\\b", "http://h.test/dir/b.gif?path=a\\b"},
      // The page's own scheme without "//" is relative to the page.
      {"http:pic.gif", "http://h.test/dir/pic.gif"},
      {"HTTP:/img/c2.gif", "http://h.test/img/c2.gif"},
      {"http:?q=3", "http://h.test/dir/page.html?q=3"},
      // Another web scheme names a host, however many slashes follow it.
      {"https:s.test/d1.gif", "https://s.test/d1.gif"},
      {"https:/s.test/d2.gif", "https://s.test/d2.gif"},
      {"http:///other.test/d3.gif", "http://other.test/d3.gif"},
      // An empty login is no login.
      {"http://@other.test/e1.gif", "http://other.test/e1.gif"},
      {"//:@other.test/e2.gif", "http://other.test/e2.gif"},
      {"http://u:@other.test/e3.gif", "http://u:@other.test/e3.gif"},
  };
  for (const auto& [link, expected] : cases) {
    EXPECT_EQ(ResolveLink(kBase, link), expected) << link;
  }
  EXPECT_EQ(ResolveLink("http://@h.test/dir/", "f.gif"), "http://h.test/dir/f.gif");
  // Other schemes, and links against another scheme's page, are as before.
  EXPECT_EQ(ResolveLink(kBase, "c:\\pictures\\g.gif"), "c:\\pictures\\g.gif");
  EXPECT_EQ(ResolveLink(kBase, "mailto:a\\b@h.test"), "mailto:a\\b@h.test");
  EXPECT_EQ(ResolveLink("ftp://f.test/pub/", "http:pic.gif"), "http://pic.gif/");
  EXPECT_EQ(ResolveLink("ftp://f.test/pub/", "a\\b.gif"), "ftp://f.test/pub/a\\b.gif");
}

// Plain relative links are joined to the base's folder without parsing a URL:
// the result must be libcurl's own, whatever the base.
TEST(ResolveLink, JoinsPlainRelativeLinksAsLibcurlResolvesThem) {
  const auto curlResolved = [](const std::string& base, const std::string& link) {
    CURLU* url = curl_url();
    curl_url_set(url, CURLUPART_URL, base.c_str(), CURLU_NON_SUPPORT_SCHEME);
    char* text = nullptr;
    if (curl_url_set(url, CURLUPART_URL, link.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) {
      curl_url_cleanup(url);
      return std::string();
    }
    curl_url_get(url, CURLUPART_URL, &text, 0);
    std::string result = text != nullptr ? text : "";
    curl_free(text);
    curl_url_cleanup(url);
    return result;
  };
  std::mt19937 random(7);
  const std::string alphabet = "aZ09-_./";
  for (const std::string base :
       {"http://h.test/dir/page.html", "HTTP://H.test:80/a/b/?q=1/2#f/g", "http://h.test",
        "https://u:p@h.test/%7Ex/p.php?x", "ftp://h.test/pub/", "http://[::1]:8080/x/y"}) {
    const LinkResolver resolver(base);
    for (int i = 0; i < 400; ++i) {
      std::string link = i % 3 == 0 ? "../" : i % 3 == 1 ? "/" : "";
      for (int n = std::uniform_int_distribution(1, 12)(random); n > 0; --n)
        link +=
            alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
      EXPECT_EQ(resolver.resolve(link).value_or(""), curlResolved(base, link))
          << base << " + " << link;
    }
  }
  // Absolute links that libcurl writes back as they are, and some it rewrites.
  const LinkResolver resolver("http://h.test/");
  const std::string hostAlphabet = "a0x1.-9:";
  for (int i = 0; i < 2000; ++i) {
    std::string link = i % 2 == 0 ? "http://" : "https://";
    for (int n = std::uniform_int_distribution(1, 10)(random); n > 0; --n)
      link += hostAlphabet[std::uniform_int_distribution<std::size_t>(0, 7)(random)];
    link += "/";
    for (int n = std::uniform_int_distribution(0, 6)(random); n > 0; --n)
      link += alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
    EXPECT_EQ(resolver.resolve(link).value_or(""), curlResolved("http://h.test/", link)) << link;
  }
}

TEST(ResolveLink, KeepsOtherSchemesExactlyAsWritten) {
  for (const char* link :
       {"mailto:Someone@H.test", "javascript:void(0.1)", "MAILTO:a@b.c", "news:comp.lang"}) {
    EXPECT_EQ(ResolveLink(kBase, link), link);
  }
}

TEST(ResolveLink, HasNoLengthLimit) {
  const std::string name(3000, 'n');
  EXPECT_EQ(ResolveLink(kBase, name + ".gif"), "http://h.test/dir/" + name + ".gif");
}

TEST(ResolveLink, FailsForWhatCannotBeAUrl) {
  EXPECT_EQ(ResolveLink(kBase, "http://h.test:99999/a.gif"), std::nullopt);
  EXPECT_EQ(ResolveLink(kBase, "http://bad host/a.gif"), std::nullopt);
  EXPECT_EQ(ResolveLink("not a url", "a.gif"), std::nullopt);
}

}  // namespace
}  // namespace harvel
